#include <gtest/gtest.h>

#include "app/lock_record.h"
#include "app/main_form.h"
#include "app/record_encoding.h"
#include "fakes.h"

using namespace qv;
using namespace qv::test;

namespace {

const std::string kKey = "09511642QV0001KEY";
using Devices = std::vector<std::vector<std::string>>;

struct MainWorld : FakeWorld {
    MainForm form{ctx};
    MainWorld() {
        loadStrings({{517, "Welcome, %username."}, {510, "Sure?"}, {303, "Quit"}}, {{104, "&What is %S?"}});
        ctx.globals().ownerName = "Ann";
        shell.startup = "C:\\Users\\ann\\Start Menu\\Programs\\Startup";
    }
    FakeView& view() { return forms.viewOf(form); }
    void load() { forms.showModeless(form); }   // the form is the main window from now on
    void writeRecord(const std::string& marker, const std::string& first, const std::string& second) {
        fs.put(path("tplockts.ini"), "[LVantrel]\r\nLVantrelA=" + EncodeDigitText("F") + "\r\nLVantrelC=" +
                                          EncodeDigitText(marker) + "\r\n");
        fs.put(path("tpserial1.dat"), EncodeDigitText(first) + "\r\n");
        fs.put(path("tpserial2.dat"), EncodeOffsetText(second) + "\r\n");
    }
};

}  // namespace

TEST(MainForm, LoadsInactiveWritesTheBoxFileAndFillsInTheNames) {
    MainWorld w;
    w.programStrings.boxes = std::string(4168, 'b');
    w.load();
    FakeView& v = w.view();
    EXPECT_EQ(v.caption("mnuHelpWhat"), "&What is Quorvel Lite?");
    EXPECT_EQ(v.caption("Label3"), "Welcome, Ann.");
    EXPECT_TRUE(v.isEnabled("cmdLock"));
    EXPECT_FALSE(v.isEnabled("cmdUnlock") || v.isEnabled("mnuFileDeactivate") || v.timerEnabled("Timer1"));
    EXPECT_EQ(w.fs.get(w.path("bf.dat")).size(), 4168u);
    EXPECT_EQ(w.lockDown.calls, Log{"LockW2kTaskManager -1"});   // a crashed lock's Task Manager ban is lifted
}

TEST(MainForm, AHiddenBoxFileIsNeverRewrittenAndWin98SkipsTheTaskManagerCall) {
    MainWorld w;
    w.programStrings.boxes = std::string(4168, 'b');
    w.fs.put(w.path("bf.dat"), "mine", AttrHidden);
    w.system.os = {4, 10, 1};
    w.load();
    EXPECT_EQ(w.fs.get(w.path("bf.dat")), "mine");
    EXPECT_TRUE(w.lockDown.calls.empty());
}

TEST(MainForm, StartRepairsTheBoxFileAndRemovesLeftoverPlainFiles) {
    struct Case { std::string content; unsigned attributes; };
    for (const Case& c : {Case{"short", AttrArchive}, Case{std::string(4168, 'x'), AttrReadOnly},
                          Case{std::string(5000, 'b'), AttrArchive}}) {
        MainWorld w;
        w.programStrings.boxes = std::string(4168, 'b');
        w.fs.put(w.path("bf.dat"), c.content, c.attributes);
        for (const char* plain : {"pass.ini", "pass.ini.new", "tmhr.ini", "tmhr.ini.new"})
            w.fs.put(w.path(plain), "plain", AttrHidden | AttrReadOnly);
        w.load();
        EXPECT_EQ(w.fs.get(w.path("bf.dat")), *w.programStrings.boxes) << c.content.size();
        EXPECT_EQ(w.secureDelete.calls.size(), 4u);
        for (const char* plain : {"pass.ini", "pass.ini.new", "tmhr.ini", "tmhr.ini.new"})
            EXPECT_FALSE(w.fs.has(w.path(plain))) << plain;
    }
}

TEST(MainForm, ResumeDecisionsAtStartup) {
    const Devices key{{"0951", "1642", "QV0001KEY"}}, other{{"1111", "2222", "OTHER"}};
    struct Case { const char *name, *marker; std::string second; Devices devices; bool windowStays, locked; };
    const Case cases[] = {
        {"no record", nullptr, "", other, true, false},
        {"wrong marker", "SomethingElse", kKey, other, true, false},
        {"second copy not inside the first", "VantrelLockEnable", "09511642OTHER", other, true, false},
        {"key attached: the window unloads to come back inactive", "VantrelLockEnable", kKey, key, false, false},
        {"key absent: locked at once", "VantrelLockEnable", kKey, other, true, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        MainWorld w;
        const std::string shortcut = w.shell.startup + "\\SCQuorvel.lnk";
        if (c.marker) w.writeRecord(c.marker, kKey, c.second);
        else w.fs.put(shortcut, "link");
        w.usbSerial.setDevices(c.devices);
        w.load();
        EXPECT_FALSE(w.fs.has(shortcut));
        for (const char* file : {"tplockts.ini", "tpserial1.dat", "tpserial2.dat"}) {
            // The record stays only while locked, moved from the program folder to the PC.
            EXPECT_EQ(w.fs.has(w.record(file)), c.locked) << file;
            EXPECT_FALSE(w.fs.has(w.path(file))) << file;
        }
        EXPECT_EQ(w.view().isOpen(), c.windowStays);
        EXPECT_EQ(w.lockScreen.calls, c.locked ? Log{"open"} : Log{});
        const bool valid = c.locked || !c.windowStays;   // a valid record arms before looking for the key
        Log notices = valid ? Log{"subclass", "register"} : Log{};
        if (valid && !c.windowStays) notices.push_back("unregister");   // the next window's arming registers anew
        EXPECT_EQ(w.notifications.calls, notices);
        EXPECT_EQ(w.ctx.globals().lockNeeds.held, c.locked);
        EXPECT_EQ(w.ctx.globals().lockResumedAtStartup, c.locked);
        EXPECT_EQ(w.view().isEnabled("cmdUnlock"), c.locked);
        if (!c.locked) continue;
        EXPECT_EQ(w.ctx.globals().lockUSBKeyId + w.ctx.globals().lockDriveLetter, kKey + "F");
        EXPECT_EQ(w.view().timers["Timer1"].interval, 1000u);   // polling every second
        EXPECT_TRUE(w.view().timerEnabled("Timer1"));
        EXPECT_EQ(w.ctx.globals().deviceCountSeen, 1);
    }
}

TEST(MainForm, ClosingAsksOnlyWhileArmed) {
    MainWorld w;
    w.load();
    w.form.click("cmdCancel");   // inactive: closes at once
    EXPECT_FALSE(w.view().isOpen());
    EXPECT_TRUE(w.messages.shown.empty());

    MainWorld armed;
    armed.load();
    armed.form.setArmed(true);
    armed.messages.answers = {IdNo, IdNo};
    armed.form.click("mnuFileExit");
    armed.messages.expectOnly("Sure?", "Quit", MbYesNo | MbIconExclamation);
    armed.form.escapePressed();   // Esc asks as Exit does
    EXPECT_TRUE(armed.view().isOpen());
    EXPECT_EQ(armed.messages.shown.size(), 2u);
    armed.messages.answers = {IdYes};
    armed.view().setTimer("Timer1", true, 1000);   // polling for the key
    armed.form.click("cmdCancel");
    EXPECT_FALSE(armed.view().isOpen());
    EXPECT_FALSE(armed.view().timerEnabled("Timer1")) << "no polling after the window has gone";

    MainWorld titleBar;   // the title bar closes without asking
    titleBar.load();
    titleBar.form.setArmed(true);
    titleBar.form.closeRequested();
    EXPECT_FALSE(titleBar.view().isOpen());
    EXPECT_TRUE(titleBar.messages.shown.empty());
}

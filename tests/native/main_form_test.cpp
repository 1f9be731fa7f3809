#include <gtest/gtest.h>

#include <algorithm>

#include "app/main_form.h"
#include "app/record_encoding.h"
#include "fakes.h"

using namespace qv;
using namespace qv::test;

namespace {

const std::string kKey = "09511642QV0001KEY", kBoxes(4168, 'b');
using Devices = std::vector<std::vector<std::string>>;

struct MainWorld : FakeWorld {
    MainForm form{ctx};
    MainWorld() {
        loadStrings({{517, "Welcome, %username."}, {510, "Sure?"}, {303, "Quit"}}, {{104, "&What is %S?"}});
        ctx.globals().ownerName = "Ann";
        ctx.globals().charsetSetting = "129";
        shell.startup = "C:\\Users\\ann\\Start Menu\\Programs\\Startup";
        programStrings.boxes = kBoxes;
    }
    FakeView& view() { return forms.viewOf(form); }
    void load() { forms.showModeless(form); }   // the form is the main window from now on
};

}  // namespace

TEST(MainForm, LoadsInactiveRepairsTheBoxFileAndRemovesLeftoverPlainFiles) {
    // A whole box file, or a hidden one, is never rewritten; Windows 98 has no Task Manager to free.
    struct Case { std::string content; unsigned attributes; bool win98, rewritten; };
    const Case cases[] = {{"", 0, false, true},   // attributes 0: no file yet
                          {std::string(4168, 'x'), AttrReadOnly, false, true}, {std::string(5000, 'b'), 0, true, true},
                          {kBoxes, AttrReadOnly, false, false}, {"mine", AttrHidden, true, false}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.content.size());
        MainWorld w;
        const std::string boxFile = w.path("bf.dat");
        if (!c.content.empty()) w.fs.put(boxFile, c.content, c.attributes);
        w.fs.put(w.path("tmhr.ini"), "plain", AttrHidden | AttrReadOnly);
        if (c.win98) w.system.os = {4, 10, 1};
        w.load();
        FakeView& v = w.view();
        EXPECT_EQ(v.caption("mnuHelpWhat") + " " + v.caption("Label3"), "&What is Quorvel Lite? Welcome, Ann.");
        EXPECT_TRUE(v.isEnabled("cmdLock") && v.c("StatusBar").charset == 129);   // the charset of the settings
        EXPECT_FALSE(v.isEnabled("cmdUnlock") || v.isEnabled("mnuFileDeactivate") || v.timerEnabled("Timer1"));
        EXPECT_EQ(w.fs.get(boxFile), c.rewritten ? kBoxes : c.content);
        EXPECT_EQ(std::ranges::count(w.fs.log, "write " + boxFile), c.rewritten ? 1 : 0);
        EXPECT_FALSE(w.fs.has(w.path("tmhr.ini")));
        EXPECT_EQ(w.lockDown.calls, c.win98 ? Log{} : Log{"LockW2kTaskManager -1"});   // a crashed lock's ban lifted
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
        const std::string shortcut = w.shell.startup + "\\SCQuorvel.lnk", ini = "[LVantrel]\r\nLVantrelA=";
        if (c.marker) {
            w.fs.put(w.path("tplockts.ini"), ini + EncodeDigitText("F") + "\r\nLVantrelC=" + EncodeDigitText(c.marker));
            w.fs.put(w.path("tpserial1.dat"), EncodeDigitText(kKey) + "\r\n");
            w.fs.put(w.path("tpserial2.dat"), EncodeOffsetText(c.second) + "\r\n");
        } else {
            w.fs.put(shortcut, "link");
        }
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
        const Globals& g = w.ctx.globals();
        EXPECT_EQ((std::vector<bool>{g.lockNeeds.held, g.lockResumedAtStartup, w.view().isEnabled("cmdUnlock")}),
                  std::vector<bool>(3, c.locked));
        if (!c.locked) continue;
        EXPECT_EQ(g.lockUSBKeyId + g.lockDriveLetter + " " + std::to_string(g.deviceCountSeen), kKey + "F 1");
        EXPECT_EQ(w.view().timers["Timer1"].interval, 1000u);   // polled every second
        w.usbSerial.setDevices(key);   // the key comes back: the next poll ends the lock
        w.form.timer("Timer1");
        EXPECT_FALSE(w.view().isOpen() || w.view().timerEnabled("Timer1"));
    }
}

TEST(MainForm, ArmsFromItsButtonAndClosingAsksOnlyWhileArmed) {
    MainWorld w;
    w.load();
    w.system.admin = false;
    w.form.click("cmdLock");   // arming begins by refusing a user who is no administrator
    w.form.setArmed(true);
    w.messages.answers = {IdNo, IdNo};
    w.form.click("mnuFileExit");
    w.form.escapePressed();   // Esc asks as Exit does
    EXPECT_EQ(w.messages.shown.size(), 3u);
    EXPECT_EQ(w.messages.boxes().back(), FakeMessageBoxes::box("Quit", "Sure?", MbYesNo | MbIconExclamation));
    w.view().setTimer("Timer1", true, 1000);   // polling for the key
    w.form.click("cmdCancel");
    EXPECT_FALSE(w.view().isOpen() || w.view().timerEnabled("Timer1")) << "no polling after the window has gone";
    for (bool viaTitleBar : {false, true}) {   // inactive, or by the title bar even armed: no question
        MainWorld other;
        other.load();
        other.form.setArmed(viaTitleBar);
        viaTitleBar ? other.form.closeRequested() : other.form.click("cmdCancel");
        EXPECT_FALSE(other.view().isOpen() || !other.messages.shown.empty());
    }
}

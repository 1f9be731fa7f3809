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

TEST(MainForm, LoadsInactiveRepairsTheBoxFileRemovesLeftoverPlainFilesArmsFromItsButtonAndClosesWithoutAsking) {
    // A whole box file, or a hidden one, is never rewritten; Windows 98 has no Task Manager to free.
    struct Case { std::string content; unsigned attributes; bool win98, rewritten; };
    const Case cases[] = {{"", 0, true, true},   // attributes 0: no file yet
                          {std::string(4168, 'x'), AttrReadOnly, false, true},
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
        w.system.admin = false;
        w.form.click("cmdLock");   // arming begins by refusing a user who is no administrator
        w.form.setArmed(c.win98);   // inactive, or by the title bar even armed: no question
        w.view().setTimer("Timer1", true, 1000);   // polling for the key
        c.win98 ? w.form.closeRequested() : w.form.click("cmdCancel");
        EXPECT_FALSE(w.view().isOpen() || w.view().timerEnabled("Timer1")) << "no polling after the window has gone";
        EXPECT_EQ(w.messages.shown.size(), 1u);
    }
}

TEST(MainForm, ResumeDecisionsAtStartup) {
    const Devices key{{"0951", "1642", "QV0001KEY"}}, other{{"1111", "2222", "OTHER"}};
    struct Case { const char *name, *marker; std::string first, second; Devices devices; bool windowStays, locked; };
    const Case cases[] = {
        {"no record", nullptr, "", "", other, true, false},
        {"wrong marker", "SomethingElse", kKey, kKey, other, true, false},
        {"second copy not inside the first", "VantrelLockEnable", kKey, "09511642OTHER", other, true, false},
        {"an empty identity matches nothing", "VantrelLockEnable", "", "", other, true, false},
        {"key attached: the window unloads to come back inactive", "VantrelLockEnable", kKey, kKey, key, false, false},
        {"key absent: locked at once", "VantrelLockEnable", kKey, "1642QV", other, true, true},   // a part will do
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        MainWorld w;
        const std::string shortcut = w.shell.startup + "\\SCQuorvel.lnk", ini = "[LVantrel]\r\nLVantrelA=";
        w.fs.put(shortcut, "link");
        if (c.marker) {
            w.fs.put(w.path("tplockts.ini"), ini + EncodeDigitText("F") + "\r\nLVantrelC=" + EncodeDigitText(c.marker));
            w.fs.put(w.path("tpserial1.dat"), EncodeDigitText(c.first) + "\r\n", AttrReadOnly);
            w.fs.put(w.path("tpserial2.dat"), EncodeOffsetText(c.second) + "\r\n", AttrHidden);
        }
        w.usbSerial.setDevices(c.devices);
        w.load();
        EXPECT_EQ(w.fs.has(shortcut), c.locked);   // what no lock needs goes
        // The record stays only while locked, moved from the program folder to the PC.
        for (const char* file : {"tplockts.ini", "tpserial1.dat", "tpserial2.dat"})
            EXPECT_TRUE(w.fs.has(w.record(file)) == c.locked && !w.fs.has(w.path(file))) << file;
        EXPECT_EQ(w.view().isOpen(), c.windowStays);
        EXPECT_EQ(w.lockScreen.calls, c.locked ? Log{"open"} : Log{});
        // A valid record arms before looking for the key; the next window's arming registers anew.
        const Log armed{"subclass", "register"}, handedOn{"subclass", "register", "unregister"};
        EXPECT_EQ(w.notifications.calls, c.locked ? armed : c.windowStays ? Log{} : handedOn);
        const Globals& g = w.ctx.globals();
        EXPECT_EQ((std::vector<bool>{g.lockNeeds.held, g.lockResumedAtStartup, w.view().isEnabled("cmdUnlock")}),
                  std::vector<bool>(3, c.locked));
        if (!c.locked) continue;
        EXPECT_EQ(g.lockUSBKeyId + g.lockDriveLetter + " " + std::to_string(g.deviceCountSeen), kKey + "F 1");
        w.messages.answers = {IdNo};
        w.form.click("mnuFileExit");   // armed: closing asks, and No keeps the window
        EXPECT_EQ(w.messages.boxes(), Log{FakeMessageBoxes::box("Quit", "Sure?", MbYesNo | MbIconExclamation)});
        EXPECT_TRUE(w.view().isOpen());
        w.usbSerial.setDevices(key);   // the key comes back: the next poll ends the lock
        w.form.timer("Timer1");
        EXPECT_FALSE(w.view().isOpen() || w.view().timerEnabled("Timer1"));
    }
}

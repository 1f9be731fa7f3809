#include <gtest/gtest.h>

#include "app/lock_record.h"
#include "app/main_form.h"
#include "app/record_encoding.h"
#include "fakes.h"

using namespace qv;
using namespace qv::test;

namespace {

const std::string kKey = "09511642QV0001KEY";

struct MainWorld : FakeWorld {
    MainForm form{ctx};
    MainWorld() {
        loadStrings({{302, "Quorvel Lite"}, {111, "&Activate"}, {112, "&Deactivate"}, {517, "Welcome, %username."},
                     {510, "Sure?"}, {303, "Quit"}},
                    {{103, "&Help"}, {104, "&What is %S?"}});
        ctx.globals().ownerName = "Ann";
        shell.startup = "C:\\Users\\ann\\Start Menu\\Programs\\Startup";
    }
    FakeView& view() { return forms.viewOf(form); }
    void load() {
        forms.showModeless(form);
        // showModeless above replaced the fake main window: the form is the main window now.
    }
    void writeRecord(const std::string& marker, const std::string& first, const std::string& second) {
        fs.put(path("tplockts.ini"), "[LVantrel]\r\nLVantrelA=" + EncodeDigitText("F") + "\r\nLVantrelC=" +
                                          EncodeDigitText(marker) + "\r\n");
        fs.put(path("tpserial1.dat"), EncodeDigitText(first) + "\r\n");
        fs.put(path("tpserial2.dat"), EncodeOffsetText(second) + "\r\n");
    }
    bool recordGone() const {
        return !fs.has(path("tplockts.ini")) && !fs.has(path("tpserial1.dat")) && !fs.has(path("tpserial2.dat"));
    }
};

}  // namespace

TEST(MainForm, LoadsInactiveWithItsCaptions) {
    MainWorld w;
    w.programStrings.boxes = std::string(4168, 'b');
    w.load();
    FakeView& v = w.view();
    EXPECT_EQ(v.caption(""), "Quorvel Lite");
    EXPECT_EQ(v.caption("cmdLock"), "&Activate");
    EXPECT_EQ(v.caption("mnuHelpWhat"), "&What is Quorvel Lite?");
    EXPECT_EQ(v.caption("Label3"), "Welcome, Ann.");
    EXPECT_EQ(v.caption("lbActiveDescrip"), "");   // a missing string gives an empty caption
    EXPECT_TRUE(v.isEnabled("cmdLock"));
    EXPECT_FALSE(v.isEnabled("cmdUnlock"));
    EXPECT_FALSE(v.isEnabled("mnuFileDeactivate"));
    EXPECT_EQ(v.controls["cmdLock"].fontSize, 8);
    EXPECT_GE(v.centred, 1);
    EXPECT_EQ(w.fs.get(w.path("bf.dat")).size(), 4168u);
    EXPECT_EQ(w.lockDown.calls, std::vector<std::string>{"LockW2kTaskManager -1"});
    EXPECT_FALSE(v.timerEnabled("Timer1"));
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

TEST(MainForm, ResumeDecisionsAtStartup) {
    {   // no record: inactive, the autostart shortcut removed once
        MainWorld w;
        w.fs.put(w.shell.startup + "\\SCQuorvel.lnk", "link");
        w.load();
        EXPECT_FALSE(w.view().isEnabled("cmdUnlock"));
        EXPECT_FALSE(w.fs.has(w.shell.startup + "\\SCQuorvel.lnk"));
        EXPECT_TRUE(w.lockScreen.calls.empty());
    }
    {   // wrong marker: the record goes, inactive
        MainWorld w;
        w.writeRecord("SomethingElse", kKey, kKey);
        w.load();
        EXPECT_TRUE(w.recordGone());
        EXPECT_FALSE(w.view().isEnabled("cmdUnlock"));
        EXPECT_TRUE(w.lockScreen.calls.empty());
    }
    {   // second copy not inside the first: removed, no lock screen
        MainWorld w;
        w.writeRecord("VantrelLockEnable", kKey, "09511642OTHER");
        w.load();
        EXPECT_TRUE(w.recordGone());
        EXPECT_TRUE(w.lockScreen.calls.empty());
        EXPECT_TRUE(w.notifications.calls.empty());
    }
    {   // key attached: record removed, the window unloads itself to come back inactive
        MainWorld w;
        w.writeRecord("VantrelLockEnable", kKey, kKey);
        w.usbSerial.setDevices({{"0951", "1642", "QV0001KEY"}});
        w.load();
        EXPECT_TRUE(w.recordGone());
        EXPECT_FALSE(w.view().isOpen());
        EXPECT_TRUE(w.lockScreen.calls.empty());
        EXPECT_FALSE(w.ctx.globals().lockResumedAtStartup);
    }
    {   // key absent: armed, the lock screen at once, polling every second
        MainWorld w;
        w.writeRecord("VantrelLockEnable", kKey, kKey);
        w.usbSerial.setDevices({{"1111", "2222", "OTHER"}});
        w.load();
        EXPECT_EQ(w.ctx.globals().lockUSBKeyId, kKey);
        EXPECT_EQ(w.ctx.globals().lockDriveLetter, "F");
        EXPECT_EQ(w.notifications.calls, (std::vector<std::string>{"subclass", "register"}));
        EXPECT_TRUE(w.view().isEnabled("cmdUnlock"));
        EXPECT_EQ(w.lockScreen.calls, std::vector<std::string>{"open"});
        EXPECT_TRUE(w.view().timerEnabled("Timer1"));
        EXPECT_EQ(w.view().timers["Timer1"].interval, 1000u);
        EXPECT_TRUE(w.ctx.globals().lockResumedAtStartup);
        EXPECT_EQ(w.ctx.globals().deviceCountSeen, 1);
        EXPECT_TRUE(w.fs.has(w.path("tplockts.ini")));   // the record stays while locked
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
    armed.messages.answers = {IdNo};
    armed.form.click("mnuFileExit");
    EXPECT_TRUE(armed.view().isOpen());
    ASSERT_EQ(armed.messages.shown.size(), 1u);
    EXPECT_EQ(armed.messages.last().text, "Sure?");
    EXPECT_EQ(armed.messages.last().title, "Quit");
    EXPECT_EQ(armed.messages.last().flags, MbYesNo | MbIconExclamation);
    armed.messages.answers = {IdYes};
    armed.form.click("cmdCancel");
    EXPECT_FALSE(armed.view().isOpen());

    MainWorld titleBar;   // the title bar closes without asking
    titleBar.load();
    titleBar.form.setArmed(true);
    titleBar.form.closeRequested();
    EXPECT_FALSE(titleBar.view().isOpen());
    EXPECT_TRUE(titleBar.messages.shown.empty());
}

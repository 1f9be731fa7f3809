#include <gtest/gtest.h>

#include "lock/arming.h"
#include "lock_timer_world.h"
#include "password/password_store.h"
#include "usbkey/drive_events.h"

using namespace qv;
using namespace qv::test;

namespace {

struct ArmWorld : FakeWorld {
    explicit ArmWorld(bool keyDrive = true) {
        loadStrings({{300, "T300"}, {304, "Passphrase"}, {511, "Looking"}, {513, "Armed"}, {514, "No key"},
                     {516, "Off, %username"}, {556, "No passphrase"}, {558, "Set one, %username?"}, {559, "Now?"}},
                    {{528, "Administrators only, %username"}});
        ctx.globals().ownerName = "Ann";
        usbSerial.setDevices({{"0951", "1642", "QV0001KEY"}});
        if (keyDrive) drives.types['F'] = Drives::Removable;
        messages.onShow = [this] { EXPECT_FALSE(desktop.busy) << "no busy pointer over a message"; };
    }
    std::string texts() const {
        std::string out;
        for (const ShownMessage& m : messages.shown) out += m.title + ": " + m.text + "|";
        return out;
    }
};

const std::vector<std::string> kOther = {"1111", "2222", "OTHER"}, kKey = {"0951", "1642", "QV0001KEY"};

struct LockedWorld : FakeWorld {
    LockedWorld() {
        ctx.globals().lockUSBKeyId = "09511642QV0001KEY";
        usbSerial.setDevices({kOther});
    }
    void locked() {
        lockScreen.loaded = true;
        ctx.globals().lockScreenActive = -1;
    }
};

struct OpenDialog : Form {
    const char* name() const override { return "frmPassword"; }
};

}  // namespace

TEST(Arming, RefusesWithoutAdministratorRightsOrAKeyDrive) {
    ArmWorld user, noDrive(false);   // a device, but no drive with the key folder
    user.system.admin = false;
    for (ArmWorld* w : {&user, &noDrive}) {
        ArmLock(w->ctx);
        EXPECT_FALSE(w->mainWindow.armed.has_value() || w->desktop.busy);
        EXPECT_TRUE(w->notifications.calls.empty());
    }
    EXPECT_EQ(user.messages.boxes(), Log{FakeMessageBoxes::box("T300", "Administrators only, Ann",
                                                               MbOk | MbIconExclamation)});
    EXPECT_EQ(noDrive.texts(), "T300: No key|");
    EXPECT_EQ(noDrive.mainWindow.status + "|" + noDrive.mainWindow.statusBar, "No key|No key");
}

TEST(Arming, ArmsOnlyWithAPassphraseAndTheDriveNoticesHoldingThePassphraseAndDisarmsAfterAsking) {
    const std::string noNotices = "Windows did not agree to report drives being removed, so pulling the key would not "
                                  "lock this computer. The lock has not been activated.";
    struct Case { std::string passphrase; bool registers; std::string texts, status; };
    const Case cases[] = {
        {"OPEN1234", true, "", "Armed"},
        {"OPEN1234", false, "T300: " + noNotices + "|", noNotices},
        {"", true, "Passphrase: Set one, Ann?\r\nNow?|T300: No passphrase|", "No passphrase"},   // "No" to setting one
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.status);
        ArmWorld w;
        w.fs.put(w.path("bf.dat"), LockTimerWorld::boxFile());
        w.ctx.globals().lockUSBKeyId = "09511642QV0001KEY";
        ASSERT_TRUE(c.passphrase.empty() || SavePassword(w.ctx, c.passphrase));
        w.ctx.globals().lockUSBKeyId.clear();
        w.notifications.registers = c.registers;
        w.messages.answers = {IdNo};
        ArmLock(w.ctx);
        const bool armed = c.status == "Armed";
        EXPECT_EQ(w.mainWindow.armed.value_or(false), armed);
        EXPECT_EQ(w.ctx.globals().lockNeeds.passphrase, armed ? c.passphrase : "");
        EXPECT_EQ(w.notifications.calls.empty(), c.passphrase.empty());
        EXPECT_EQ(w.texts(), c.texts);
        EXPECT_TRUE(w.mainWindow.calls.empty());   // the set-password command was not run
        EXPECT_EQ(w.ctx.globals().lockUSBKeyId + " " + w.ctx.globals().lockDriveLetter, "09511642QV0001KEY F");
        // The search shows, and is painted, before the key is looked for; the pointer is back after.
        EXPECT_EQ(w.mainWindow.statuses.front() + "|" + w.mainWindow.status, "Looking|" + c.status);
        EXPECT_EQ(w.desktop.doEventsCalls, 1);
        EXPECT_FALSE(w.desktop.busy);
        const std::size_t noticesBefore = w.notifications.calls.size();
        w.messages.answers = {IdNo, IdYes};
        DisarmLock(w.ctx);   // "No": nothing changes
        EXPECT_EQ(w.notifications.calls.size(), noticesBefore);
        DisarmLock(w.ctx);
        EXPECT_EQ(w.notifications.calls.back() + "|" + w.mainWindow.status, "unregister|Off, Ann");
        EXPECT_EQ(w.mainWindow.armed, false);
    }
}

// A removal while armed locks unless the key is still there (a library that fails counts as a
// pull); while locked, another stick shows the notice and the key unlocks, closing the open lock
// dialogs and, for a lock resumed at start-up, the main window; pulling it again locks again.
TEST(DriveEvents, PullsLockOtherSticksShowTheNoticeAndTheKeyUnlocks) {
    for (int run : {0, 1, 2, 3}) {   // resumed at start-up; the key stays; the library fails
        SCOPED_TRACE(run);
        LockedWorld w;
        w.desktop.windows[{"", "Runboard"}] = 5;
        if (run == 2) w.usbSerial.setDevices({kOther, kKey});
        w.usbSerial.loadable = run != 3;
        HandleShellNotify(w.ctx, kDriveAdded);   // armed, not locked: nothing
        HandleShellNotify(w.ctx, kDriveRemoved);
        EXPECT_EQ(w.desktop.closed, run == 2 ? std::vector<WindowHandle>{} : std::vector<WindowHandle>{5});
        if (run >= 2) {
            EXPECT_EQ(w.lockScreen.calls, run == 2 ? Log{} : Log{"open"});
            continue;
        }
        w.lockScreen.calls.clear();
        HandleShellNotify(w.ctx, kDriveAdded);   // still opening: nothing to show the notice on yet
        w.locked();
        HandleShellNotify(w.ctx, kDriveAdded);
        HandleShellNotify(w.ctx, 0x08);   // other events: nothing
        w.ctx.globals().lockResumedAtStartup = run == 1;
        OpenDialog dialog;
        w.forms.showModeless(dialog);   // stands for the modal password dialog being open
        w.ctx.globals().passwordDialogOpen = -1;
        w.ctx.globals().passwordForm = &dialog;
        w.usbSerial.setDevices({kOther, kKey});
        // Each return arrives twice, as the shell's notice and as the system's broadcast.
        HandleShellNotify(w.ctx, kDriveAdded);
        HandleShellNotify(w.ctx, kDriveAdded);
        EXPECT_FALSE(w.forms.viewOf(dialog).isOpen());
        w.usbSerial.setDevices({});
        HandleShellNotify(w.ctx, kDriveRemoved);
        HandleShellNotify(w.ctx, kDriveRemoved);
        EXPECT_EQ(w.lockScreen.calls, (Log{"wrongKey", "stopClock", "unload", "open"}));
        EXPECT_EQ(w.mainWindow.calls, (run ? Log{"writeLockIni", "delLockIni", "stopPolling", "unload", "writeLockIni"}
                                           : Log{"writeLockIni", "delLockIni", "stopPolling", "writeLockIni"}));
    }
}

TEST(DriveEvents, PollingTick) {
    LockedWorld w;
    FakeView mainView;
    w.desktop.windows[{"Shell_TrayWnd", ""}] = 9;
    w.ctx.globals().deviceCountSeen = 1;
    PollForKey(w.ctx, mainView);   // not locked: the task bar is left alone
    w.locked();
    PollForKey(w.ctx, mainView);   // same count: no notice, task bar kept off, timer again
    EXPECT_EQ(w.lockScreen.calls, Log{"taskbar 0"});
    EXPECT_TRUE(mainView.timerEnabled("Timer1"));

    w.usbSerial.setDevices({kOther, {"3333", "4444", "X"}});
    PollForKey(w.ctx, mainView);   // one more device: the notice
    EXPECT_EQ(w.lockScreen.calls.back(), "wrongKey");
    EXPECT_EQ(w.ctx.globals().deviceCountSeen, 2);

    w.usbSerial.setDevices({kOther, kKey});
    PollForKey(w.ctx, mainView);   // the key: unlock and close the main window, no new tick
    EXPECT_EQ(w.mainWindow.calls, (Log{"delLockIni", "unload"}));
    EXPECT_FALSE(mainView.timerEnabled("Timer1"));
}

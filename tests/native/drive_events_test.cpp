#include <gtest/gtest.h>

#include "fakes.h"
#include "usbkey/drive_events.h"

using namespace qv;
using namespace qv::test;

namespace {

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

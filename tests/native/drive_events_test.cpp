#include <gtest/gtest.h>

#include "fakes.h"
#include "usbkey/drive_events.h"

using namespace qv;
using namespace qv::test;

namespace {

struct LockedWorld : FakeWorld {
    LockedWorld() {
        ctx.globals().lockUSBKeyId = "09511642QV0001KEY";
        usbSerial.setDevices({{"1111", "2222", "OTHER"}});
    }
    void keyBack() { usbSerial.setDevices({{"1111", "2222", "OTHER"}, {"0951", "1642", "QV0001KEY"}}); }
    void locked() {
        lockScreen.loaded = true;
        ctx.globals().lockScreenActive = -1;
    }
};

struct OpenDialog : Form {
    const char* name() const override { return "frmPassword"; }
};

}  // namespace

TEST(DriveEvents, KeyPulledWhileArmedLocksAndRecords) {
    LockedWorld w;
    w.desktop.windows[{"", "Runboard"}] = 5;
    HandleShellNotify(w.ctx, kDriveRemoved);
    EXPECT_EQ(w.lockScreen.calls, std::vector<std::string>{"open"});
    EXPECT_EQ(w.mainWindow.calls, std::vector<std::string>{"writeLockIni"});
    EXPECT_EQ(w.desktop.closed, std::vector<WindowHandle>{5});
}

TEST(DriveEvents, OtherDrivePulledWhileTheKeyStaysChangesNothing) {
    LockedWorld w;
    w.keyBack();
    HandleShellNotify(w.ctx, kDriveRemoved);
    EXPECT_TRUE(w.lockScreen.calls.empty());
    EXPECT_TRUE(w.mainWindow.calls.empty());
}

TEST(DriveEvents, RemovalWhileTheLibraryFailsLocks) {
    LockedWorld w;
    w.usbSerial.loadable = false;
    HandleShellNotify(w.ctx, kDriveRemoved);
    EXPECT_EQ(w.lockScreen.calls, std::vector<std::string>{"open"});
}

TEST(DriveEvents, KeyBackUnlocksAndClosesOpenLockDialogs) {
    LockedWorld w;
    w.locked();
    OpenDialog dialog;
    w.forms.showModeless(dialog);   // stands for the modal password dialog being open
    w.ctx.globals().passwordDialogOpen = -1;
    w.ctx.globals().passwordForm = &dialog;
    w.keyBack();
    HandleShellNotify(w.ctx, kDriveAdded);
    EXPECT_FALSE(w.forms.viewOf(dialog).isOpen());
    EXPECT_EQ(w.mainWindow.calls, (std::vector<std::string>{"delLockIni", "stopPolling"}));
    EXPECT_EQ(w.lockScreen.calls, (std::vector<std::string>{"stopClock", "unload"}));
    // Notifications stay: pulling the key again locks again.
    w.usbSerial.setDevices({});
    HandleShellNotify(w.ctx, kDriveRemoved);
    EXPECT_EQ(w.lockScreen.calls.back(), "open");
}

TEST(DriveEvents, KeyBackAfterAResumedLockClosesTheMainWindowToo) {
    LockedWorld w;
    w.locked();
    w.ctx.globals().lockResumedAtStartup = true;
    w.keyBack();
    HandleShellNotify(w.ctx, kDriveAdded);
    EXPECT_EQ(w.mainWindow.calls.back(), "unload");
}

TEST(DriveEvents, OtherStickShowsTheWrongKeyNoticeOnlyWhileLocked) {
    LockedWorld w;
    HandleShellNotify(w.ctx, kDriveAdded);   // armed, not locked
    EXPECT_TRUE(w.lockScreen.calls.empty());
    w.locked();
    HandleShellNotify(w.ctx, kDriveAdded);
    EXPECT_EQ(w.lockScreen.calls, std::vector<std::string>{"wrongKey"});
    HandleShellNotify(w.ctx, 0x08);   // other events: nothing
    EXPECT_EQ(w.lockScreen.calls.size(), 1u);
    EXPECT_TRUE(w.mainWindow.calls.empty());
}

TEST(DriveEvents, PollingTick) {
    LockedWorld w;
    w.locked();
    FakeView mainView;
    w.desktop.windows[{"Shell_TrayWnd", ""}] = 9;
    w.ctx.globals().deviceCountSeen = 1;
    PollForKey(w.ctx, mainView);   // same count: no notice, task bar kept off, timer again
    EXPECT_EQ(w.lockScreen.calls, std::vector<std::string>{"taskbar 0"});
    EXPECT_TRUE(mainView.timerEnabled("Timer1"));

    w.usbSerial.setDevices({{"1111", "2222", "OTHER"}, {"3333", "4444", "X"}});
    PollForKey(w.ctx, mainView);   // one more device: the notice
    EXPECT_EQ(w.lockScreen.calls.back(), "wrongKey");
    EXPECT_EQ(w.ctx.globals().deviceCountSeen, 2);

    w.keyBack();
    PollForKey(w.ctx, mainView);   // the key: unlock and close the main window, no new tick
    EXPECT_EQ(w.mainWindow.calls, (std::vector<std::string>{"delLockIni", "unload"}));
    EXPECT_FALSE(mainView.timerEnabled("Timer1"));
}

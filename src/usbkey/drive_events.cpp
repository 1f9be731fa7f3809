#include "usbkey/drive_events.h"

#include "usbkey/usb_devices.h"

namespace qv {

namespace {

// Steps shared by the key's return and the polling timer finding it. The desktop is given back
// before the record goes: its secure deletion takes as long as the disk does. (A crash in
// between leaves a record, which a start with the key present deletes; without it, the lock
// comes back as after any unfinished lock.)
void EndLockByKey(Context& ctx) {
    CloseLockDialogs(ctx);
    if (LockScreenControl* lockScreen = ctx.lockScreen()) {
        lockScreen->stopClock();
        if (lockScreen->isLoaded()) lockScreen->unload();
    }
    if (MainWindow* main = ctx.mainWindow()) main->delLockIni();
}

bool LockScreenUp(Context& ctx) {
    LockScreenControl* lockScreen = ctx.lockScreen();
    return lockScreen && lockScreen->isLoaded();
}

}  // namespace

void CloseLockDialogs(Context& ctx) {
    Globals& g = ctx.globals();
    auto closeIfOpen = [](std::int16_t flag, Form* form) {
        if (flag && form && form->attached() && form->view().isOpen()) form->view().close();
    };
    closeIfOpen(g.setPasswordDialogOpen, g.setPasswordForm);
    closeIfOpen(g.passwordDialogOpen, g.passwordForm);
    closeIfOpen(g.shutDownDialogOpen, g.shutDownForm);
}

void CloseRunboard(Context& ctx) {
    Desktop& desktop = ctx.services().desktop;
    if (WindowHandle runboard = desktop.findWindow("", "Runboard"); runboard >= 1) desktop.postClose(runboard);
}

void UnlockByKey(Context& ctx) {
    EndLockByKey(ctx);
    MainWindow* main = ctx.mainWindow();
    if (!main) return;
    main->stopPolling();
    if (ctx.globals().lockResumedAtStartup) main->unloadMainWindow();
}

// Every pull and every return arrives twice, as the shell's notice and as the system's volume
// broadcast: only a removal while unlocked locks, only an arrival while locked unlocks.
void HandleShellNotify(Context& ctx, std::int32_t event) {
    Globals& g = ctx.globals();
    if (event == kDriveAdded) {
        if (!LockScreenUp(ctx)) return;
        if (IsUSBKeyPresent(ctx, g.lockUSBKeyId)) {
            UnlockByKey(ctx);
        } else if (g.lockScreenActive == 1 || g.lockScreenActive == -1) {
            if (LockScreenControl* lockScreen = ctx.lockScreen()) lockScreen->showWrongKeyNotice();
        }
    } else if (event == kDriveRemoved) {
        if (LockScreenUp(ctx) || !IsUSBKeyAbsent(ctx, g.lockUSBKeyId)) return;
        CloseRunboard(ctx);
        CloseLockDialogs(ctx);
        auto writeRecord = [&ctx] {
            if (MainWindow* main = ctx.mainWindow()) main->writeLockIni();
        };
        // The record is written once the desktop is covered. A lock screen already up (another
        // drive pulled while locked) is only kept.
        LockScreenControl* lockScreen = ctx.lockScreen();
        if (lockScreen && !lockScreen->isLoaded()) lockScreen->open(writeRecord);
        else writeRecord();
    }
}

void PollForKey(Context& ctx, View& mainView) {
    Globals& g = ctx.globals();
    mainView.setTimer("Timer1", false, 1000);
    Desktop& desktop = ctx.services().desktop;
    if (LockScreenUp(ctx) && desktop.findWindow("Shell_traywnd", "") > 0) ctx.lockScreen()->enableTaskbar(false);
    if (IsUSBKeyPresent(ctx, g.lockUSBKeyId)) {
        EndLockByKey(ctx);
        if (MainWindow* main = ctx.mainWindow()) main->unloadMainWindow();
        return;
    }
    const int devices = g.usbDevices.upperBound();
    if (g.deviceCountSeen < devices) {
        if (LockScreenControl* lockScreen = ctx.lockScreen()) lockScreen->showWrongKeyNotice();
    }
    g.deviceCountSeen = static_cast<std::int16_t>(devices);
    mainView.setTimer("Timer1", true, 1000);
}

}  // namespace qv

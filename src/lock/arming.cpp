#include "lock/arming.h"

#include "app/program_strings.h"
#include "app/text.h"
#include "lock/lock_needs.h"
#include "lock/remind_forms.h"
#include "password/password_store.h"
#include "usbkey/find_usb_lock_drive.h"

namespace qv {

namespace {

// The busy pointer for the length of a scope.
class BusyCursor {
public:
    explicit BusyCursor(Desktop& desktop) : desktop_(desktop) { desktop_.setBusyCursor(true); }
    ~BusyCursor() { desktop_.setBusyCursor(false); }
    void release() { desktop_.setBusyCursor(false); }

private:
    Desktop& desktop_;
};

// Arming without the shell's drive notices would show "armed" while a pull does nothing.
constexpr const char* kNoNoticesText =
    "Windows did not agree to report drives being removed, so pulling the key would not lock this "
    "computer. The lock has not been activated.";

void ReportNoKey(Context& ctx, MainWindow& main) {
    const std::string text = ctx.lang(514);
    main.setStatusBar(text);
    main.setStatus(text);
    ctx.message(text, ctx.lang(300), MbOk | MbIconExclamation);
}

}  // namespace

void ArmLock(Context& ctx) {
    Globals& g = ctx.globals();
    MainWindow* main = ctx.mainWindow();
    if (!main) return;
    if (!ctx.services().system.isNTAdmin()) {
        ctx.message(ctx.licUser(528), ctx.lang(300), MbOk | MbIconExclamation);
        return;
    }
    {
        BusyCursor busy(ctx.services().desktop);
        main->setStatus(ctx.lang(511));
        ctx.services().desktop.doEvents();
        const std::string drive = FindUSBLockDrive(ctx);
        if (Trim(drive).empty()) {
            busy.release();
            ReportNoKey(ctx, *main);
            return;
        }
        g.lockUSBKeyId = g.selectedUSBKeyId;
        busy.release();
        g.lockDriveLetter = drive;
        g.fromLockCommand = -1;
        if (Trim(g.lockUSBKeyId).empty()) {
            ReportNoKey(ctx, *main);
            return;
        }
    }
    if (GetPassword(ctx, g.lockUSBKeyId).empty()) {
        const std::string question = ctx.langUser(558) + "\r\n" + ctx.lang(559);
        if (ctx.message(question, ctx.lang(304), MbYesNo | MbIconExclamation) == IdYes) main->runSetPasswordCommand();
        if (GetPassword(ctx, g.lockUSBKeyId).empty()) {
            main->setStatus(ctx.lang(556));
            ctx.message(ctx.lang(556), ctx.lang(300), MbOk | MbIconExclamation);
            return;
        }
    }
    ShowRemindTimeDialog(ctx);
    {
        BusyCursor busy(ctx.services().desktop);
        DriveNotifications* notifications = ctx.driveNotifications();
        // A failed subclassing has told the user already.
        if (!notifications || !notifications->subclassWindow()) return;
        if (!notifications->registerDriveNotify()) {
            busy.release();
            main->setStatus(kNoNoticesText);
            ctx.message(kNoNoticesText, ctx.lang(300), MbOk | MbIconExclamation);
            return;
        }
        // Read while the stick is still there: after the pull its folder may be gone.
        HoldLockNeeds(ctx);
        main->setArmed(true);
        main->setStatus(ctx.langUser(513));
    }
}

void DisarmLock(Context& ctx) {
    MainWindow* main = ctx.mainWindow();
    if (!main) return;
    if (ctx.message(ctx.lang(510), ctx.lang(303), MbYesNo | MbIconExclamation) == IdNo) return;
    main->setStatus(ctx.langUser(516));
    if (DriveNotifications* notifications = ctx.driveNotifications()) notifications->unregisterDriveNotify();
    ReleaseLockNeeds(ctx);
    main->setArmed(false);
}

}  // namespace qv

#include "password/set_password_command.h"

#include <cstdint>

#include "app/context.h"
#include "app/text.h"
#include "password/password_forms.h"
#include "usbkey/find_usb_lock_drive.h"

namespace qv {

namespace {

// Sets a dialog's open flag and form pointer for as long as it is shown, however the
// showing ends.
class OpenDialogMark {
public:
    OpenDialogMark(std::int16_t& flag, Form*& slot, Form& form) : flag_(flag), slot_(slot) {
        flag_ = -1;
        slot_ = &form;
    }
    ~OpenDialogMark() {
        flag_ = 0;
        slot_ = nullptr;
    }
    OpenDialogMark(const OpenDialogMark&) = delete;
    OpenDialogMark& operator=(const OpenDialogMark&) = delete;

private:
    std::int16_t& flag_;
    Form*& slot_;
};

void SetMainStatus(Context& ctx, const std::string& text, bool statusBarToo) {
    if (MainWindow* main = ctx.mainWindow()) {
        main->setStatus(text);
        if (statusBarToo) main->setStatusBar(text);
    }
}

}  // namespace

void RunSetPasswordCommand(Context& ctx) {
    Desktop& desktop = ctx.services().desktop;
    Globals& g = ctx.globals();
    desktop.setBusyCursor(true);
    desktop.doEvents();
    SetMainStatus(ctx, ctx.lang(515), false);
    desktop.doEvents();
    if (g.lockUSBKeyId.size() < 2) {
        if (Trim(FindUSBLockDrive(ctx)).empty()) {
            desktop.setBusyCursor(false);
            const std::string noKey = ctx.lang(514);
            SetMainStatus(ctx, noKey, true);
            ctx.message(noKey, ctx.lang(300), MbIconExclamation);
            desktop.setBusyCursor(false);
            return;
        }
        g.lockUSBKeyId = g.selectedUSBKeyId;
        desktop.setBusyCursor(false);
    }
    {
        SetPasswordForm form(ctx);
        OpenDialogMark mark(g.setPasswordDialogOpen, g.setPasswordForm, form);
        ctx.services().forms.showModal(form);
    }
    SetMainStatus(ctx, "", true);
    desktop.setBusyCursor(false);
}

void RunPasswordDialog(Context& ctx) {
    Globals& g = ctx.globals();
    PasswordForm form(ctx);
    OpenDialogMark mark(g.passwordDialogOpen, g.passwordForm, form);
    ctx.services().forms.showModal(form);
}

}  // namespace qv

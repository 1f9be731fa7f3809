// Opening the password dialogs: the main window's set-password command, and the lock
// screen's Unlock button. While a dialog is open its flag and form pointer are set, so
// an unlock by the USB key can close it first (the main window's CloseLockDialogs).
#pragma once

namespace qv {

class Context;

// cmdSetPass: finds the USB key when none is known yet, then shows frmSetPassword modally.
void RunSetPasswordCommand(Context& ctx);
// Shows frmPassword modally; returns when it has closed.
void RunPasswordDialog(Context& ctx);

}  // namespace qv

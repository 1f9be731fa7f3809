// The lock-duration and protection-settings dialogs, as the main window opens them.
#pragma once

namespace qv {

class Context;

void ShowSetTimerDialog(Context& ctx);     // frmSetTimer, modal
void ShowRemindTimeDialog(Context& ctx);   // frmRemindTime, modal, at arming
void ShowRemindDialog(Context& ctx);       // frmRemind, modal, from the settings entries

}  // namespace qv

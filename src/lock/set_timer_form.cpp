#include "lock/set_timer_form.h"

#include "app/text.h"
#include "lock/lock_timer.h"

namespace qv {

namespace {

// The caption stored with the window shows where the language library gives no text.
std::string OrBuiltIn(const std::string& text, const char* builtIn) { return text.empty() ? builtIn : text; }

}  // namespace

void SetTimerForm::load() {
    View& v = view();
    v.setCaption("", OrBuiltIn(ctx_.lang(119), "Lock Duration"));
    v.setCaption("lbDuration", OrBuiltIn(ctx_.lang(120), "Duration of lock:"));
    v.setCaption("lbHour", OrBuiltIn(ctx_.lang(122), "hour(s)"));
    v.setCaption("lbNote", OrBuiltIn(ctx_.lang(123),
                                     "Note : Lock duration is calculate based on the locking is actively running on "
                                     "the computer without shutting down the computer."));
    v.setCaption("cmdOk", OrBuiltIn(ctx_.lang(100), "&Ok"));
    v.setCaption("cmdCancel", OrBuiltIn(ctx_.lang(101), "&Cancel"));
    ctx_.applyFontRule(v, {"lbDuration", "lbHour", "lbNote", "cmdOk", "cmdCancel"});

    v.clearItems("combo1");
    for (int hours = 1; hours <= kDialogMaxHours; ++hours) v.addItem("combo1", std::to_string(hours));
    if (int stored = ReadLockTimerHours(ctx_); stored >= 1) v.setText("combo1", std::to_string(stored));
}

void SetTimerForm::click(const std::string& control) {
    if (control == "cmdOk") confirm();
    else if (control == "cmdCancel") view().close();
}

void SetTimerForm::confirm() {
    View& v = view();
    // The box also takes typed text; only a duration the dialogs accept is stored.
    const int hours = ValidLockHours(v.text("combo1"), kDialogMaxHours);
    if (hours < 1) {
        ctx_.message("Please select hour.", kAppTitle, MbOk | MbIconCritical);
        v.setFocus("combo1");
        return;
    }
    const std::string choice = std::to_string(hours);
    if (!WriteLockTimer(ctx_, choice)) {
        // Nothing was stored (the old duration, if any, is intact): no confirmation.
        ctx_.message("Failed to save the lock duration.", kAppTitle, MbOk | MbIconCritical);
        v.setFocus("combo1");
        return;
    }
    ctx_.message(ctx_.lang(531) + " " + choice + " " + ctx_.lang(122) + ".", kAppTitle, MbOk);
    v.close();
}

void ShowSetTimerDialog(Context& ctx) {
    SetTimerForm form(ctx);
    ctx.services().forms.showModal(form);
}

}  // namespace qv

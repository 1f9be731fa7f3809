#include "lock/remind_forms.h"

#include "app/text.h"
#include "lock/lock_timer.h"
#include "lock/set_timer_form.h"
#include "password/password_store.h"

namespace qv {

namespace {

// The caption stored with the window shows where the language library gives no text.
std::string OrBuiltIn(const std::string& text, const char* builtIn) { return text.empty() ? builtIn : text; }

struct OptionPair {
    const char* first;
    const char* second;
};
constexpr OptionPair kOptionPairs[] = {{"Option1_0", "Option1_1"}, {"Option2_0", "Option2_1"}};

// The text beside each option button: a click on it picks the button.
struct OptionLabel {
    const char* label;
    const char* option;
};
constexpr OptionLabel kOptionLabels[] = {{"lbPassSet", "Option1_0"},
                                         {"lbPassNo", "Option1_1"},
                                         {"lbTimerSet", "Option2_0"},
                                         {"lbTimerNo", "Option2_1"}};

const char* const kPassAddFiles[] = {"passadd.tmp", "passadd.txt"};

}  // namespace

void RecoverySettingsForm::applyCommonCaptions(const Captions& c) {
    View& v = view();
    v.setCaption("", OrBuiltIn(ctx_.lang(c.title), c.builtInTitle));
    v.setCaption("lbfrDescrip", OrBuiltIn(ctx_.langUser(544),
                                          "Below are the Quorvel recovery settings you have set to recover your "
                                          "computer in case you lost your USB Key"));
    v.setCaption("lbPassProtec", OrBuiltIn(ctx_.lang(542), "A. Passphrase protection"));
    v.setCaption("lbPassSet", OrBuiltIn(ctx_.lang(547),
                                        "You may set a passphrase to unlock the computer in the events you lost the "
                                        "USB key (Recommended)."));
    v.setCaption("lbPassNo", OrBuiltIn(ctx_.lang(133), "No passphrase."));
    v.setCaption("lbTimerProtec", OrBuiltIn(ctx_.lang(c.timerHeading), c.builtInTimerHeading));
    v.setCaption("lbTimerSet", OrBuiltIn(ctx_.lang(545),
                                         "You may set a timer to unlock the computer in the events you lost the USB "
                                         "key and forget the passphrase."));
    v.setCaption("lbTimerNo", OrBuiltIn(ctx_.lang(546), "No timer."));
    v.setCaption("cmdSetPass", OrBuiltIn(ctx_.lang(131), "Set &Passphrase"));
    v.setCaption("cmdSetTime", OrBuiltIn(ctx_.lang(115), "&Set Duration"));
    ctx_.applyFontRule(v, {"lbfrDescrip", "lbPassProtec", "lbPassSet", "lbPassNo", "lbTimerProtec", "lbTimerSet",
                           "lbTimerNo", "cmdSetPass", "cmdSetTime", "cmdClose"});
}

std::string RecoverySettingsForm::durationText(int hours) {
    return ctx_.lang(560) + " " + std::to_string(hours) + " " + ctx_.lang(561) + ".";
}

void RecoverySettingsForm::choose(const std::string& option) {
    for (const OptionPair& pair : kOptionPairs) {
        if (option != pair.first && option != pair.second) continue;
        view().setChecked(pair.first, option == pair.first);
        view().setChecked(pair.second, option == pair.second);
        optionChosen(option);
    }
}

void RecoverySettingsForm::click(const std::string& control) {
    for (const OptionLabel& l : kOptionLabels) {
        if (control == l.label) {
            if (view().isEnabled(l.option)) choose(l.option);
            return;
        }
    }
    for (const OptionPair& pair : kOptionPairs) {
        if (control == pair.first || control == pair.second) {
            optionChosen(control);
            return;
        }
    }
    command(control);
}

void RecoverySettingsForm::setPassphrase() {
    if (MainWindow* main = ctx_.mainWindow()) main->runSetPasswordCommand();
}

// frmRemindTime

void RemindTimeForm::load() {
    applyCommonCaptions({563, "Quorvel Settings", 557, "Timer protection"});
    View& v = view();
    v.setCaption("cmdSave", OrBuiltIn(ctx_.lang(132), "&Save"));
    v.setCaption("cmdClose", OrBuiltIn(ctx_.lang(129), "&Close"));
    ctx_.applyFontRule(v, {"cmdSave"});
    choose("Option2_0");
    refreshDuration();
}

void RemindTimeForm::optionChosen(const std::string& option) {
    if (option == "Option2_0" || option == "Option2_1") view().setEnabled("cmdSetTime", option == "Option2_0");
}

void RemindTimeForm::refreshDuration() {
    int hours = ReadLockTimerHours(ctx_);
    if (hours < 1) {
        // Arming always leaves a duration behind unless the user saves "no timer". When it
        // cannot be stored, the dialog says there is none rather than showing a false one.
        if (!WriteLockTimer(ctx_, kDefaultLockHours)) {
            view().setCaption("lbTimeDuration", ctx_.lang(562));
            return;
        }
        hours = ValidLockHours(kDefaultLockHours, kDialogMaxHours);
    }
    view().setCaption("lbTimeDuration", durationText(hours));
}

void RemindTimeForm::command(const std::string& control) {
    if (control == "cmdSetTime") {
        ShowSetTimerDialog(ctx_);
        refreshDuration();
    } else if (control == "cmdSetPass") {
        setPassphrase();
    } else if (control == "cmdDeletePass") {
        deletePassphraseFiles();
    } else if (control == "cmdSave") {
        save();
    } else if (control == "cmdClose") {
        if (ReadLockTimerHours(ctx_) < 1) WriteLockTimer(ctx_, kDefaultLockHours);
        view().close();
    }
}

void RemindTimeForm::deletePassphraseFiles() {
    if (ctx_.message(ctx_.lang(533), ctx_.lang(304), MbYesNo | MbIconExclamation) != IdYes) return;
    // The passphrase of the key being armed; a failure has been reported by the store.
    const std::string& keyId = ctx_.globals().lockUSBKeyId;
    if (!Trim(keyId).empty()) DeletePassword(ctx_, keyId);
    for (const char* name : kPassAddFiles) {
        const std::string path = ctx_.programPath(name);
        if (Exists(ctx_.services().fs, path)) ctx_.deleteFileSilent(path);
    }
    refreshDuration();
}

void RemindTimeForm::save() {
    if (view().isChecked("Option2_1")) DeleteLockTimer(ctx_);
    ctx_.message(ctx_.langUser(555), ctx_.lang(307), MbOk | MbIconInformation);
    view().close();
}

// frmRemind

void RemindForm::load() {
    applyCommonCaptions({124, "Quorvel Settings", 543, "B. Timer protection"});
    view().setCaption("cmdClose", OrBuiltIn(ctx_.lang(ctx_.globals().fromLockCommand ? 129 : 128), "&Close"));
    ctx_.applyFontRule(view(), {"lbTimeDuration"});
    refreshDuration();
}

void RemindForm::refreshDuration() {
    const int hours = ReadLockTimerHours(ctx_);
    view().setCaption("lbTimeDuration", hours < 1 ? ctx_.lang(562) : durationText(hours));
}

void RemindForm::command(const std::string& control) {
    if (control == "cmdSetTime") {
        ShowSetTimerDialog(ctx_);
    } else if (control == "cmdSetPass") {
        setPassphrase();
    } else if (control == "cmdClose") {
        if (view().isChecked("Option2_1")) DeleteLockTimer(ctx_);
        view().close();
    }
}

void ShowRemindTimeDialog(Context& ctx) {
    RemindTimeForm form(ctx);
    ctx.services().forms.showModal(form);
}

void ShowRemindDialog(Context& ctx) {
    RemindForm form(ctx);
    ctx.services().forms.showModal(form);
}

}  // namespace qv

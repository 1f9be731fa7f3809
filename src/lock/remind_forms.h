// The protection-settings dialogs: frmRemindTime, shown when the lock is armed, and its
// twin frmRemind, opened from the main window's settings entries. Both show the recovery
// settings (passphrase, lock duration); frmRemindTime also makes sure a duration exists.
#pragma once

#include <cstdint>

#include "app/context.h"

namespace qv {

// What both dialogs share: the captions, the option buttons' texts, the duration text.
class RecoverySettingsForm : public Form {
public:
    explicit RecoverySettingsForm(Context& ctx) : ctx_(ctx) {}
    void click(const std::string& control) override;

protected:
    struct Captions {
        std::uint32_t title;
        const char* builtInTitle;
        std::uint32_t timerHeading;
        const char* builtInTimerHeading;
    };
    // Captions and fonts of the controls both dialogs have.
    void applyCommonCaptions(const Captions& captions);
    // "Your timer has been set to lock for N hour(s)."
    std::string durationText(int hours);
    // Checks one option button of a pair and clears the other.
    void choose(const std::string& option);
    // An option button was chosen (by the user or by choose()).
    virtual void optionChosen(const std::string& option) {}
    virtual void command(const std::string& control) = 0;
    void setPassphrase();

    Context& ctx_;
};

class RemindTimeForm : public RecoverySettingsForm {
public:
    using RecoverySettingsForm::RecoverySettingsForm;
    const char* name() const override { return "frmRemindTime"; }
    void load() override;

private:
    void optionChosen(const std::string& option) override;
    void command(const std::string& control) override;
    void refreshDuration();
    void deletePassphraseFiles();
    void save();
};

class RemindForm : public RecoverySettingsForm {
public:
    using RecoverySettingsForm::RecoverySettingsForm;
    const char* name() const override { return "frmRemind"; }
    void load() override;

private:
    void command(const std::string& control) override;
    void refreshDuration();
};

// Arming: the recovery settings, modal; makes sure a lock duration exists unless the user
// saves the no-timer choice.
void ShowRemindTimeDialog(Context& ctx);
// The main window's settings entries, modal (the caller clears fromLockCommand first).
void ShowRemindDialog(Context& ctx);

}  // namespace qv

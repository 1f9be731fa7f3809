// The two dialogs with the on-screen keyboard: frmPassword unlocks the computer with the
// passphrase of the current USB key, frmSetPassword sets that passphrase.
#pragma once

#include <initializer_list>
#include <span>
#include <string>
#include <utility>

#include "app/form.h"
#include "password/keyboard.h"

namespace qv {

class Context;

// What both dialogs share: the keyboard's layout and its keys typing into a field.
class KeyboardDialog : public Form {
public:
    void click(const std::string& control) override;

protected:
    explicit KeyboardDialog(Context& ctx) : ctx_(ctx) {}
    // The field the keys type into.
    virtual std::string targetField() const = 0;
    // Gives the target field the focus, caret after its last character.
    void focusTargetField();
    // Moves the dialog's controls to their places; the keyboard frame is "Frame1".
    void layOut(std::span<const std::pair<const char*, TwipsRect>> places, int keyboardTop);
    // Handles the character keys, cmdBackspace and cmdDel; false for any other control.
    bool keyboardClick(const std::string& control);
    // Language captions by control ("" is the dialog's own); each control takes the language's
    // font. A caption the library lacks leaves the one stored with the dialog.
    void setCaptions(std::initializer_list<std::pair<const char*, int>> captions);
    // Runs an OK button's work: an unexpected failure ends the click quietly and leaves the
    // dialog (and the lock) as they were.
    template <typename Action>
    static void quietly(Action action) {
        try {
            action();
        } catch (...) {
        }
    }

    Context& ctx_;
};

// Client area of each dialog and where its keyboard frame sits, in twips.
inline constexpr int kPasswordDialogWidth = 5940;
inline constexpr int kPasswordDialogHeight = 3735;
inline constexpr int kSetPasswordDialogWidth = 5940;
inline constexpr int kSetPasswordDialogHeight = 4410;

class PasswordForm : public KeyboardDialog {
public:
    explicit PasswordForm(Context& ctx) : KeyboardDialog(ctx) {}
    const char* name() const override { return "frmPassword"; }
    void load() override;
    void click(const std::string& control) override;

protected:
    std::string targetField() const override { return "txtPassword"; }

private:
    void unlockByPassword();
};

class SetPasswordForm : public KeyboardDialog {
public:
    explicit SetPasswordForm(Context& ctx) : KeyboardDialog(ctx) {}
    const char* name() const override { return "frmSetPassword"; }
    void load() override;
    void click(const std::string& control) override;
    void change(const std::string& control) override;

    // 1: txtPassword, 2: txtPassword2.
    int activeField() const { return activeField_; }

protected:
    std::string targetField() const override { return activeField_ == 2 ? "txtPassword2" : "txtPassword"; }

private:
    void checkAndSave();

    int activeField_ = 1;
};

}  // namespace qv

#include "password/password_forms.h"

#include "app/context.h"
#include "app/text.h"
#include "lock/lock_needs.h"
#include "password/password_store.h"

namespace qv {

namespace {

using Place = std::pair<const char*, TwipsRect>;

static_assert(kPasswordDialogWidth == kSetPasswordDialogWidth, "both dialogs share one column layout");

constexpr int kMargin = 120;
constexpr int kButtonWidth = 1200, kButtonHeight = 345, kButtonGap = 90;
constexpr int kOkLeft = kSetPasswordDialogWidth - kMargin - 2 * kButtonWidth - kButtonGap;
constexpr int kCancelLeft = kSetPasswordDialogWidth - kMargin - kButtonWidth;
constexpr int kRowWidth = kPasswordDialogWidth - 2 * kMargin;

constexpr int kPasswordKeyboardTop = 810;
constexpr int kPasswordButtonsTop = kPasswordKeyboardTop + kKeyboardHeight + kMargin;
static_assert(kPasswordButtonsTop + kButtonHeight + kMargin == kPasswordDialogHeight);
constexpr Place kPasswordPlaces[] = {
    {"lbPass", {kMargin, 120, kRowWidth, 240}},
    {"txtPassword", {kMargin, 375, kRowWidth, 315}},
    {"cmdOk", {kOkLeft, kPasswordButtonsTop, kButtonWidth, kButtonHeight}},
    {"cmdCancel", {kCancelLeft, kPasswordButtonsTop, kButtonWidth, kButtonHeight}},
};

constexpr int kSetKeyboardTop = 1485;
constexpr int kSetButtonsTop = kSetKeyboardTop + kKeyboardHeight + kMargin;
static_assert(kSetButtonsTop + kButtonHeight + kMargin == kSetPasswordDialogHeight);
constexpr Place kSetPasswordPlaces[] = {
    {"lbEnter", {kMargin, 120, kRowWidth, 240}},
    {"txtPassword", {kMargin, 375, kRowWidth, 315}},
    {"lbReenter", {kMargin, 795, kRowWidth, 240}},
    {"txtPassword2", {kMargin, 1050, kRowWidth, 315}},
    {"cmdOk", {kOkLeft, kSetButtonsTop, kButtonWidth, kButtonHeight}},
    {"cmdCancel", {kCancelLeft, kSetButtonsTop, kButtonWidth, kButtonHeight}},
};

constexpr std::size_t kShortestPassword = 8;

}  // namespace

// ---- shared keyboard ------------------------------------------------------------------

void KeyboardDialog::click(const std::string& control) { keyboardClick(control); }

void KeyboardDialog::focusTargetField() {
    const std::string field = targetField();
    view().setFocus(field);
    // Focusing a field selects all of it; the next Delete must not take the whole text.
    view().setSelection(field, static_cast<int>(view().text(field).size()), 0);
}

void KeyboardDialog::setCaptions(std::initializer_list<std::pair<const char*, int>> captions) {
    for (const auto& [control, id] : captions) {
        if (const std::string text = ctx_.lang(id); !text.empty()) view().setCaption(control, text);
        if (*control) ctx_.applyFontRule(view(), {control});
    }
}

void KeyboardDialog::layOut(std::span<const Place> places, int keyboardTop) {
    for (const auto& [name, r] : places) view().move(name, r.left, r.top, r.width, r.height);
    LayOutKeyboard(view(), "Frame1", kMargin, keyboardTop);
}

bool KeyboardDialog::keyboardClick(const std::string& control) {
    if (const KeyboardKey* key = FindCharacterKey(control)) TypeIntoField(view(), targetField(), key->character);
    else if (control == kBackspaceKey) BackspaceField(view(), targetField());
    else if (control == kDeleteKey) DeleteInField(view(), targetField());
    else return false;
    if (view().isOpen()) focusTargetField();
    return true;
}

// ---- frmPassword ----------------------------------------------------------------------

void PasswordForm::load() {
    layOut(kPasswordPlaces, kPasswordKeyboardTop);
    setCaptions({{"", 114}, {"lbPass", 518}, {"cmdOk", 109}, {"cmdCancel", 101}});
    view().setTopMost();
}

void PasswordForm::click(const std::string& control) {
    if (keyboardClick(control)) return;
    if (control == "cmdCancel") {
        view().close();
    } else if (control == "cmdOk") {
        quietly([this] { unlockByPassword(); });
    }
}

void PasswordForm::unlockByPassword() {
    Globals& g = ctx_.globals();
    if (g.lockUSBKeyId.empty()) {
        ctx_.message("No Serial number found!!", kAppTitle, MbIconCritical);
        return;
    }
    std::string stored = Trim(LockPassphrase(ctx_));
    if (stored.empty()) {
        ctx_.message(ctx_.langUser(528), ctx_.lang(302), MbIconCritical);
        return;
    }
    std::string typed = Trim(view().text("txtPassword"));
    const bool match = stored == typed;
    WipeText(stored);
    WipeText(typed);
    if (!match) {
        ctx_.message(ctx_.lang(527), ctx_.lang(302), MbIconCritical);
        return;
    }
    ReleaseLockNeeds(ctx_);
    MainWindow* main = ctx_.mainWindow();
    if (main) main->delLockIni();
    if (main) main->setStatus(ctx_.langUser(516));
    if (DriveNotifications* notifications = ctx_.driveNotifications()) notifications->unregisterDriveNotify();
    if (main) main->setArmed(false);
    view().close();   // the view may be gone from here on
    if (LockScreenControl* lock = ctx_.lockScreen()) {
        lock->stopClock();
        lock->unload();
    }
    if (g.lockResumedAtStartup && main) main->unloadMainWindow();
}

// ---- frmSetPassword -------------------------------------------------------------------

void SetPasswordForm::load() {
    layOut(kSetPasswordPlaces, kSetKeyboardTop);
    setCaptions({{"", 305}, {"lbEnter", 519}, {"lbReenter", 520}, {"cmdOk", 100}, {"cmdCancel", 101}});
    activeField_ = 1;
    ctx_.services().desktop.setBusyCursor(false);
}

void SetPasswordForm::click(const std::string& control) {
    if (keyboardClick(control)) return;
    if (control == "txtPassword") {
        activeField_ = 1;
    } else if (control == "txtPassword2") {
        activeField_ = 2;
    } else if (control == "cmdCancel") {
        view().close();
    } else if (control == "cmdOk") {
        quietly([this] { checkAndSave(); });
    }
}

void SetPasswordForm::change(const std::string& control) {
    if (control != "txtPassword" && control != "txtPassword2") return;
    View& v = view();
    std::string filtered = FilterPasswordText(ctx_, v.text(control));
    if (filtered.size() > kPasswordMaxLength) filtered.resize(kPasswordMaxLength);
    v.setText(control, filtered);
    v.setSelection(control, static_cast<int>(filtered.size()), 0);
}

void SetPasswordForm::checkAndSave() {
    View& v = view();
    const std::string password = v.text("txtPassword");
    if (password.size() > kPasswordMaxLength || password.size() < kShortestPassword) {
        ctx_.message(ctx_.lang(523), ctx_.lang(300), MbIconExclamation);
        activeField_ = 1;
        return;
    }
    if (password != v.text("txtPassword2")) {
        ctx_.message(ctx_.lang(524), ctx_.lang(300), MbIconExclamation);
        activeField_ = 2;
        return;
    }
    if (!SavePassword(ctx_, password)) return;   // the store has told the user
    ctx_.message(ctx_.langUser(525), ctx_.lang(304), MbIconInformation);
    v.close();
}

}  // namespace qv

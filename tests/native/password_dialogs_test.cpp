// Typing a passphrase on the on-screen keyboard, setting it and unlocking with it.
#include <gtest/gtest.h>

#include "code_page_stand_in.h"
#include "lock/lock_needs.h"
#include "lock_timer_world.h"
#include "password/password_forms.h"
#include "password/password_store.h"
#include "password/set_password_command.h"

using namespace qv;
using namespace qv::test;

namespace {

constexpr const char* kKey1 = "09511642QV0001KEY";

void ClickKeys(Form& form, const std::string& chars) {
    for (char c : chars)
        for (const KeyboardKey& k : CharacterKeys())
            if (k.character == c) form.click(k.name);
}

struct World : LockTimerWorld {
    World() {
        loadStrings({{114, "Unlock"}, {300, "T300"}, {302, "T302"}, {304, "T304"}, {305, "Set"}, {514, "No key"},
                     {515, "Wait"}, {516, "%username unlocked"}, {518, "Passphrase"}, {519, "Enter"},
                     {523, "Length"}, {524, "Mismatch"}, {525, "%username saved"}, {526, "Bad char"},
                     {527, "Wrong"}, {528, "%username none set"}});
        ctx.globals().ownerName = "Ann";
        ctx.globals().lockUSBKeyId = kKey1;
    }
    // Shows the dialog by its command; `script` acts while it is open.
    void run(const std::string& dialog, std::function<void(Form&, FakeView&)> script) {
        forms.scripts[dialog] = [&](Form& f) { script(f, forms.viewOf(f)); };
        dialog == "frmPassword" ? RunPasswordDialog(ctx) : RunSetPasswordCommand(ctx);
    }
    // Types `typed` into the unlock field and clicks OK; gives what is left in it, or "<closed>".
    std::string unlock(const std::string& typed) {
        std::string left;
        run("frmPassword", [&](Form& f, FakeView& v) {
            v.setText("txtPassword", typed);
            f.click("cmdOk");
            left = v.isOpen() ? v.text("txtPassword") : "<closed>";
        });
        return left;
    }
};

bool IsKey(const std::string& control) {
    return FindCharacterKey(control) || control == kDeleteKey || control == kBackspaceKey;
}
bool Inside(const FakeView::Control& a, const FakeView::Control& b, int margin) {
    return a.width > 0 && a.left >= b.left + margin && a.top >= b.top + margin &&
           a.left + a.width <= b.left + b.width - margin && a.top + a.height <= b.top + b.height - margin;
}
bool Overlap(const FakeView::Control& a, const FakeView::Control& b) {
    return a.left < b.left + b.width && b.left < a.left + a.width && a.top < b.top + b.height &&
           b.top < a.top + a.height;
}

}  // namespace

TEST(Keyboard, DeleteRuleAndTheAmpersandCaption) {
    struct Case { const char* text; int start, length; const char* result; } cases[] = {
        {"", 0, 3, ""}, {"ABCD", 4, 0, "ABC"}, {"ABCD", 1, 2, "AD"}, {"ABCD", 0, 4, ""}, {"ABCD", 0, 1, "BCD"},
        {"ABCD", 2, 9, "AB"}, {"ABCD", 9, 2, "ABCD"}, {"ABCD", -3, 2, "CD"}, {"A", 0, 0, ""}};
    for (const Case& c : cases)
        EXPECT_EQ(ApplyDeleteRule(c.text, c.start, c.length), c.result) << c.text << " " << c.start << "+" << c.length;
    EXPECT_EQ(KeyCaption(*FindCharacterKey("cmd77")), "&&");   // a lone & would underline the next letter
}

// In both dialogs: captions from the language, every control inside the dialog and apart from
// the others, the keys inside their frame; the editing keys and the fifty-character limit.
TEST(PasswordDialogs, LayoutCaptionsAndEditingKeys) {
    struct Case { const char* dialog; int height; const char *label, *captions; } cases[] = {
        {"frmPassword", kPasswordDialogHeight, "lbPass", "Unlock|Passphrase|8"},
        {"frmSetPassword", kSetPasswordDialogHeight, "lbEnter", "Set|Enter|8"}};
    for (const Case& c : cases) {
        World w;
        w.run(c.dialog, [&](Form& f, FakeView& v) {
            const std::string font = std::to_string(v.c(c.label).fontSize);
            EXPECT_EQ(v.caption("") + "|" + v.caption(c.label) + "|" + font, c.captions);
            std::map<std::string, FakeView::Control> placed = v.controls;
            placed.erase("");
            const FakeView::Control frame = placed["Frame1"];
            FakeView::Control dialog;
            dialog.width = kPasswordDialogWidth;
            dialog.height = c.height;
            for (auto a = placed.begin(); a != placed.end(); ++a) {
                EXPECT_TRUE(IsKey(a->first) ? Inside(a->second, frame, 60) : Inside(a->second, dialog, 0)) << a->first;
                for (auto b = std::next(a); b != placed.end(); ++b)
                    EXPECT_TRUE(!Overlap(a->second, b->second) || (a->first == "Frame1" && IsKey(b->first)) ||
                                (b->first == "Frame1" && IsKey(a->first))) << a->first << " on " << b->first;
            }
            f.click("cmdBackspace");   // on an empty field: nothing
            f.click("cmdDel");
            ClickKeys(f, "AB7");
            f.click("cmdBackspace");
            ClickKeys(f, "XY");
            v.setSelection("txtPassword", 1, 2);
            f.click("cmdDel");
            ClickKeys(f, "YZ");
            f.click("cmdDel");   // the key left the caret at the end, nothing selected
            EXPECT_EQ(v.text("txtPassword") + "|" + v.focus, "AYY|txtPassword") << c.dialog;
            ClickKeys(f, std::string(46, 'K'));
            v.setSelection("txtPassword", 0, 0);   // caret at the start: keys still append
            ClickKeys(f, "12");                    // the 51st is refused
            EXPECT_EQ(v.text("txtPassword"), "AYY" + std::string(46, 'K') + "1") << c.dialog;
        });
        EXPECT_TRUE(w.messages.shown.empty() && w.forms.shown.size() == 1u) << c.dialog;
    }
}

// Typed or pasted text: allowed characters upper-cased, one message for each one refused;
// a double-byte character goes whole, though its second byte may look allowed.
TEST(SetPassword, TypedTextIsFilteredUpperCasedAndCut) {
    struct Case { unsigned codePage; std::string typed, kept; std::size_t refused; } cases[] = {
        {1252, "ab", "AB", 0}, {1252, "x y\"z\xE9", "XYZ", 3}, {1252, std::string(60, 'q'), std::string(50, 'Q'), 0},
        {936, "a\x81\x40" "b", "AB", 1}, {950, "a\xA4\x41" "b", "AB", 1}, {1252, "a\xA4\x41" "b", "AAB", 1}};
    for (const Case& c : cases) {
        World w;
        w.run("frmSetPassword", [&](Form&, FakeView& v) {
            ansiCodePage = c.codePage;
            v.setText("txtPassword2", c.typed);
            ansiCodePage = 1252;
            EXPECT_EQ(v.text("txtPassword2") + "|" + std::to_string(v.c("txtPassword2").selStart),
                      c.kept + "|" + std::to_string(c.kept.size())) << c.typed;
        });
        EXPECT_EQ(w.messages.boxes(), Log(c.refused, "T300|Bad char|64")) << c.typed;
    }
    EXPECT_EQ(World().unlock("ab c"), "ab c");   // the unlock field is not filtered
}

TEST(SetPassword, LengthAndRepetition) {
    struct Case { std::string first, second; const char* box; int active; } cases[] = {
        {"AAAA7777", "AAAA7777", "T304|Ann saved|64", 2},
        {std::string(50, 'Z'), std::string(50, 'Z'), "T304|Ann saved|64", 2},
        {"AAAA777", "AAAA777", "T300|Length|48", 1}, {"", "", "T300|Length|48", 1},
        {"PASS1234", "PASS1235", "T300|Mismatch|48", 2}};
    for (const Case& c : cases) {
        World w;
        const bool saved = c.active == 2 && c.first == c.second;
        w.run("frmSetPassword", [&](Form& f, FakeView& v) {
            ClickKeys(f, c.first);
            f.click("txtPassword2");
            ClickKeys(f, c.second);
            f.click("cmdOk");
            EXPECT_EQ(v.isOpen(), !saved) << c.first;
            EXPECT_EQ(static_cast<SetPasswordForm&>(f).activeField(), c.active) << c.first;
        });
        EXPECT_EQ(w.messages.boxes(), Log{c.box}) << c.first;
        EXPECT_EQ(GetPassword(w.ctx, kKey1), saved ? c.first : "") << c.first;
    }
}

TEST(SetPasswordCommand, FlagsAndStatusAroundTheDialogAndTheKeyLookedForWhenNoneIsKnown) {
    for (const char* known : {kKey1, "X", ""}) {   // shorter than 2: no key known
        World w;
        Globals& g = w.ctx.globals();
        g.lockUSBKeyId = known;
        w.usbSerial.setDevices({{"0951", "1642", "QV0001KEY"}});
        if (*known) w.drives.types['F'] = Drives::Removable;
        std::string shown;
        w.run("frmSetPassword", [&](Form& f, FakeView&) {
            shown = (g.setPasswordForm == &f && g.setPasswordDialogOpen == -1 && !w.desktop.busy ? "open " : "") +
                    w.mainWindow.status;
            ClickKeys(f, "ABCDEFGH");
            if (g.setPasswordDialogOpen && g.setPasswordForm) g.setPasswordForm->view().close();   // as the key does
        });
        EXPECT_EQ(shown, *known ? "open Wait" : "") << known;
        EXPECT_TRUE(g.setPasswordForm == nullptr && g.setPasswordDialogOpen == 0);
        EXPECT_EQ(w.usbSerial.calls, std::string(known) == kKey1 ? 0 : 1) << known;
        EXPECT_EQ(g.lockUSBKeyId, *known ? kKey1 : "") << known;
        EXPECT_EQ(w.messages.boxes(), *known ? Log{} : Log{"T300|No key|48"}) << known;
        EXPECT_EQ(w.mainWindow.status + "|" + w.mainWindow.statusBar, *known ? "|" : "No key|No key") << known;
        EXPECT_FALSE(w.desktop.busy || w.fs.has(w.path("pass.st"))) << known;
    }
}

TEST(UnlockByPassword, Refusals) {
    // stored: nothing means no store at all
    struct Case { std::optional<std::string> stored; const char *keyId, *typed, *box; } cases[] = {
        {"ABCDEFGH", "", "ABCDEFGH", "Quorvel|No Serial number found!!|16"},
        {std::nullopt, kKey1, "ABCDEFGH", "T302|Ann none set|16"},
        {"   ", kKey1, "   ", "T302|Ann none set|16"},
        {"ABCDEFGH", kKey1, "abcdefgh", "T302|Wrong|16"},
        {"ABCDEFGH", "07815567OTHER", "ABCDEFGH", "T302|Ann none set|16"},
    };
    for (const Case& c : cases) {
        World w;
        if (c.stored) SavePassword(w.ctx, *c.stored);
        w.ctx.globals().lockUSBKeyId = c.keyId;
        EXPECT_EQ(w.unlock(c.typed), c.typed) << c.box;   // stays open with the text kept
        EXPECT_EQ(w.messages.boxes(), Log{c.box});
        EXPECT_TRUE(w.mainWindow.calls.empty() && w.lockScreen.calls.empty() && w.notifications.calls.empty()) << c.box;
        EXPECT_EQ(w.ctx.globals().passwordDialogOpen, 0);
    }
}

// A match ends the lock: record, status, notifications and the armed state before the dialog
// closes, the lock screen after; the typed text is trimmed, and no window is needed.
TEST(UnlockByPassword, MatchEndsTheLockInOrder) {
    for (int run : {0, 1, 2}) {
        World w;
        ASSERT_TRUE(SavePassword(w.ctx, "OPEN1234"));
        w.ctx.globals().lockResumedAtStartup = run > 0;
        if (run == 2) {
            w.ctx.setMainWindow(nullptr);
            w.ctx.setLockScreen(nullptr);
            w.ctx.setDriveNotifications(nullptr);
        }
        std::string atClose;   // status | calls of the main window, the notifications, the lock screen | armed
        w.run("frmPassword", [&](Form& f, FakeView& v) {
            EXPECT_TRUE(w.ctx.globals().passwordForm == &f && w.ctx.globals().passwordDialogOpen == -1 && v.topMost);
            v.setText("txtPassword", " OPEN1234 ");
            v.onClose = [&] {
                atClose = w.mainWindow.status + "|" + std::to_string(w.mainWindow.calls.size()) +
                          std::to_string(w.notifications.calls.size()) + std::to_string(w.lockScreen.calls.size()) +
                          (w.mainWindow.armed == false ? "|disarmed" : "");
            };
            f.click("cmdOk");
        });
        EXPECT_EQ(atClose, run == 2 ? "|000" : "Ann unlocked|110|disarmed") << run;
        EXPECT_EQ(w.mainWindow.calls, run == 1 ? Log({"delLockIni", "unload"}) : run ? Log{} : Log{"delLockIni"});
        EXPECT_EQ(w.lockScreen.calls, run == 2 ? Log{} : Log({"stopClock", "unload"})) << run;
        EXPECT_TRUE(w.messages.shown.empty());
    }
}

TEST(UnlockByPassword, PassphraseHeldSinceArmingFollowsChangesAndOutlivesTheStick) {
    World w;
    ASSERT_TRUE(SavePassword(w.ctx, "OPEN1234"));
    HoldLockNeeds(w.ctx);
    ASSERT_TRUE(SavePassword(w.ctx, "CHANGED9"));   // changed while armed
    w.fs.files.clear();   // the stick is pulled
    EXPECT_EQ(w.unlock("OPEN1234"), "OPEN1234");
    EXPECT_EQ(w.messages.boxes(), Log{"T302|Wrong|16"});
    EXPECT_EQ(w.unlock("CHANGED9"), "<closed>");
    EXPECT_FALSE(w.ctx.globals().lockNeeds.held || !w.ctx.globals().lockNeeds.passphrase.empty());
}

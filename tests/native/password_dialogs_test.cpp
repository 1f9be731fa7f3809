// Typing a passphrase on the on-screen keyboard, setting it and unlocking with it.
#include <gtest/gtest.h>

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
            EXPECT_TRUE(ctx.globals().passwordForm == &f && ctx.globals().passwordDialogOpen == -1 && v.topMost);
            v.setText("txtPassword", typed);
            v.onClose = [&] {   // status | calls of the main window, the notifications, the lock screen | armed
                atClose = mainWindow.status + "|" + std::to_string(mainWindow.calls.size()) +
                          std::to_string(notifications.calls.size()) + std::to_string(lockScreen.calls.size()) +
                          (mainWindow.armed == false ? "|disarmed" : "");
            };
            f.click("cmdOk");
            left = v.isOpen() ? v.text("txtPassword") : "<closed>";
        });
        return left;
    }
    std::string atClose;
};

}  // namespace

// In both dialogs: captions from the language, every control inside the dialog; the editing
// keys and the fifty-character limit.
TEST(PasswordDialogs, LayoutCaptionsAndEditingKeys) {
    struct Case { const char* dialog; int height; const char *label, *captions; } cases[] = {
        {"frmPassword", kPasswordDialogHeight, "lbPass", "Unlock|Passphrase|8"},
        {"frmSetPassword", kSetPasswordDialogHeight, "lbEnter", "Set|Enter|8"}};
    for (const Case& c : cases) {
        World w;
        w.run(c.dialog, [&](Form& f, FakeView& v) {
            const std::string font = std::to_string(v.c(c.label).fontSize);
            EXPECT_EQ(v.caption("") + "|" + v.caption(c.label) + "|" + font, c.captions);
            ASSERT_TRUE(v.controls.count("Frame1") && v.controls.count(CharacterKeys().back().name));
            for (const auto& [name, r] : v.controls)   // placed, and within the dialog
                EXPECT_TRUE(name.empty() || (r.width > 0 && r.left + r.width <= kPasswordDialogWidth &&
                                             r.top + r.height <= c.height)) << name;
            f.click("cmdBackspace");   // on an empty field: nothing
            f.click("cmdDel");
            ClickKeys(f, "AB7X");
            f.click("cmdBackspace");
            v.setSelection("txtPassword", 1, 1);
            f.click("cmdDel");
            ClickKeys(f, "YZ");
            f.click("cmdDel");   // the key left the caret at the end, nothing selected
            v.setSelection("txtPassword", 2, 9);   // past the end: only what is there
            f.click("cmdDel");
            ClickKeys(f, std::string(47, 'K'));
            v.setSelection("txtPassword", 0, 0);   // caret at the start: keys still append
            ClickKeys(f, "12");                    // the 51st is refused
            EXPECT_EQ(v.text("txtPassword") + "|" + v.focus, "A7" + std::string(47, 'K') + "1|txtPassword") << c.dialog;
        });
        EXPECT_TRUE(w.messages.shown.empty() && w.forms.shown.size() == 1u) << c.dialog;
    }
    EXPECT_EQ(KeyCaption(*FindCharacterKey("cmd77")), "&&");   // a lone & would underline the next letter
}

// Typed or pasted text: allowed characters upper-cased, one message for each one refused; a
// double-byte character goes whole, though its second byte may look allowed. Then the checks on OK.
TEST(SetPassword, TypedTextFilteredThenCheckedAndSaved) {
    struct Case { unsigned codePage; std::string typed, kept; } cases[] = {
        {1252, "x y\"z\xE9", "XYZ"}, {936, "a\x81\x40" "b", "AB"}, {950, "a\xA4\x41" "b", "AB"},
        {1252, "a\xA4\x41" "b", "AAB"}};
    struct Try { std::string first, second; int active; } tries[] = {
        {"AAAA777", "AAAA777", 1}, {"PASS1234", "PASS1235", 2}, {std::string(60, 'q'), std::string(50, 'Q'), 2}};
    World w;
    w.run("frmSetPassword", [&](Form& f, FakeView& v) {
        for (const Case& c : cases) {
            ansiCodePage = c.codePage;
            v.setText("txtPassword2", c.typed);
            ansiCodePage = 1252;
            EXPECT_EQ(v.text("txtPassword2") + "|" + std::to_string(v.c("txtPassword2").selStart),
                      c.kept + "|" + std::to_string(c.kept.size())) << c.typed;
        }
        EXPECT_EQ(w.messages.boxes(), Log(6, "T300|Bad char|64"));
        w.messages.shown.clear();
        for (const Try& t : tries) {
            v.setText("txtPassword", t.first);
            v.setText("txtPassword2", t.second);
            f.click("cmdOk");
            EXPECT_EQ(static_cast<SetPasswordForm&>(f).activeField(), t.active) << t.first;
        }
        EXPECT_FALSE(v.isOpen());
    });
    EXPECT_EQ(w.messages.boxes(), (Log{"T300|Length|48", "T300|Mismatch|48", "T304|Ann saved|64"}));
    EXPECT_EQ(GetPassword(w.ctx, kKey1), std::string(50, 'Q'));
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
            ClickKeys(f, "ABCDEFGH");   // the shortest passphrase
            f.click("txtPassword2");
            ClickKeys(f, "ABCDEFGH");
            f.click("cmdOk");
        });
        EXPECT_EQ(shown, *known ? "open Wait" : "") << known;
        EXPECT_TRUE(g.setPasswordForm == nullptr && g.setPasswordDialogOpen == 0 && !w.desktop.busy) << known;
        EXPECT_EQ(w.usbSerial.calls, std::string(known) == kKey1 ? 0 : 1) << known;
        EXPECT_EQ(g.lockUSBKeyId + "|" + GetPassword(w.ctx, kKey1), *known ? kKey1 + std::string("|ABCDEFGH") : "|");
        EXPECT_EQ(w.messages.boxes(), Log{*known ? "T304|Ann saved|64" : "T300|No key|48"}) << known;
        EXPECT_EQ(w.mainWindow.status + "|" + w.mainWindow.statusBar, *known ? "|" : "No key|No key") << known;
    }
}

// Each refusal keeps the dialog open with the text as typed (it is not filtered) and touches
// nothing; the passphrase held since arming is the one asked, though changed or gone since. A
// match ends the lock: record, status, notifications and the armed state before the dialog
// closes, the lock screen after; the typed text is trimmed.
TEST(UnlockByPassword, RefusalsThenTheMatchWithThePassphraseHeldSinceArming) {
    World w;
    std::string kept;
    for (auto [keyId, saved, typed] : {std::tuple{"", "", "ABCDEFGH"}, {kKey1, "", "ab c"}, {kKey1, "   ", "   "},
                                       {kKey1, "OPEN1234", "open1234"}, {"07815567OTHER", "", "OPEN1234"}}) {
        w.ctx.globals().lockUSBKeyId = keyId;
        ASSERT_TRUE(!*saved || SavePassword(w.ctx, saved));
        kept += w.unlock(typed) + "|";
    }
    EXPECT_EQ(kept, "ABCDEFGH|ab c|   |open1234|OPEN1234|");
    w.ctx.globals().lockUSBKeyId = kKey1;
    HoldLockNeeds(w.ctx);
    ASSERT_TRUE(SavePassword(w.ctx, "CHANGED9"));   // changed while armed
    w.fs.files.clear();   // the stick is pulled
    EXPECT_EQ(w.unlock("OPEN1234"), "OPEN1234");
    EXPECT_EQ(w.unlock(" CHANGED9 "), "<closed>");
    EXPECT_EQ(w.messages.boxes(), (Log{"Quorvel|No Serial number found!!|16", "T302|Ann none set|16",
                                       "T302|Ann none set|16", "T302|Wrong|16", "T302|Ann none set|16",
                                       "T302|Wrong|16"}));
    EXPECT_EQ(w.atClose, "Ann unlocked|110|disarmed");
    EXPECT_EQ(w.mainWindow.calls, Log{"delLockIni"});
    EXPECT_EQ(w.lockScreen.calls, Log({"stopClock", "unload"}));
    EXPECT_FALSE(w.ctx.globals().lockNeeds.held || !w.ctx.globals().lockNeeds.passphrase.empty());
    for (bool windows : {true, false}) {   // resumed at start-up: the main window goes too, when there is one
        World r;
        ASSERT_TRUE(SavePassword(r.ctx, "OPEN1234"));
        r.ctx.globals().lockResumedAtStartup = true;
        if (!windows) {
            r.ctx.setMainWindow(nullptr);
            r.ctx.setLockScreen(nullptr);
            r.ctx.setDriveNotifications(nullptr);
        }
        EXPECT_EQ(r.unlock("OPEN1234") + r.atClose, windows ? "<closed>Ann unlocked|110|disarmed" : "<closed>|000");
        EXPECT_EQ(r.mainWindow.calls, windows ? Log({"delLockIni", "unload"}) : Log{});
    }
}

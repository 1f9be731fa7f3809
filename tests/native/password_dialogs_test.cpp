// Typing a passphrase on the on-screen keyboard, setting it and unlocking with it.
#include <gtest/gtest.h>

#include <algorithm>

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
    for (char c : chars) {
        auto keys = CharacterKeys();
        auto key = std::find_if(keys.begin(), keys.end(), [c](const KeyboardKey& k) { return k.character == c; });
        ASSERT_NE(key, keys.end()) << c;
        form.click(key->name);
    }
}

// Every step of the unlock, in one log.
struct LoggingMainWindow : FakeMainWindow {
    Log& log;
    explicit LoggingMainWindow(Log& l) : log(l) {}
    void setStatus(const std::string& t) override { FakeMainWindow::setStatus(t), log.push_back("status " + t); }
    void setArmed(bool a) override { log.push_back(a ? "armed" : "disarmed"); }
    void delLockIni() override { log.push_back("delLockIni"); }
    void unloadMainWindow() override { log.push_back("unloadMain"); }
};
struct LoggingLockScreen : FakeLockScreen {
    Log& log;
    explicit LoggingLockScreen(Log& l) : log(l) {}
    void stopClock() override { log.push_back("stopClock"); }
    void unload() override { log.push_back("unloadLock"); }
};
struct LoggingNotifications : FakeDriveNotifications {
    Log& log;
    explicit LoggingNotifications(Log& l) : log(l) {}
    bool unregisterDriveNotify() override { return log.push_back("unregister"), true; }
};

struct World : LockTimerWorld {
    Log log;
    LoggingMainWindow main{log};
    LoggingLockScreen lock{log};
    LoggingNotifications notify{log};

    World() {
        loadStrings({{114, "Unlock"}, {300, "T300"}, {302, "T302"}, {304, "T304"}, {305, "Set"}, {514, "No key"},
                     {515, "Wait"}, {516, "%username unlocked"}, {518, "Passphrase"}, {519, "Enter"},
                     {523, "Length"}, {524, "Mismatch"}, {525, "%username saved"}, {526, "Bad char"},
                     {527, "Wrong"}, {528, "%username none set"}});
        ctx.globals().ownerName = "Ann";
        ctx.globals().lockUSBKeyId = kKey1;
        ctx.setMainWindow(&main);
        ctx.setLockScreen(&lock);
        ctx.setDriveNotifications(&notify);
    }
    void save(const std::string& password) { ASSERT_TRUE(SavePassword(ctx, password)); }
    // Runs the dialog; `script` acts while it is open.
    template <typename F>
    void setPassword(F script) {
        forms.scripts["frmSetPassword"] = [&](Form& f) { script(static_cast<SetPasswordForm&>(f), forms.viewOf(f)); };
        RunSetPasswordCommand(ctx);
    }
    template <typename F>
    void unlockWith(F script) {
        forms.scripts["frmPassword"] = [&](Form& f) { script(f, forms.viewOf(f)); };
        RunPasswordDialog(ctx);
    }
    // Types `typed` into the unlock field and clicks OK; gives what is left in it, or "<closed>".
    std::string unlock(const std::string& typed) {
        std::string left;
        unlockWith([&](Form& f, FakeView& v) {
            v.setText("txtPassword", typed);
            f.click("cmdOk");
            left = v.isOpen() ? v.text("txtPassword") : "<closed>";
        });
        return left;
    }
};

std::string Box(const std::string& title, const std::string& text, unsigned flags) {
    return FakeMessageBoxes::box(title, text, flags);
}

}  // namespace

TEST(Keyboard, KeysTypeExactlyTheCharactersAPassphraseMayHold) {
    std::string typed, allowed;
    for (const KeyboardKey& key : CharacterKeys()) {
        EXPECT_EQ(FindCharacterKey(key.name), &key);
        typed += key.character;
    }
    for (char c : kAllowedPasswordCharacters) allowed += c >= 'a' && c <= 'z' ? char(c - 32) : c;
    std::sort(typed.begin(), typed.end());
    std::sort(allowed.begin(), allowed.end());
    allowed.erase(std::unique(allowed.begin(), allowed.end()), allowed.end());
    EXPECT_EQ(typed, allowed);
    EXPECT_EQ(FindCharacterKey(kDeleteKey), nullptr);
    EXPECT_EQ(KeyCaption(*FindCharacterKey("cmd77")), "&&");   // a lone & would underline the next letter
}

TEST(Keyboard, DeleteRule) {
    struct Case { const char* text; int start, length; const char* result; } cases[] = {
        {"", 0, 3, ""}, {"ABCD", 4, 0, "ABC"}, {"ABCD", 1, 2, "AD"}, {"ABCD", 0, 4, ""}, {"ABCD", 0, 1, "BCD"},
        {"ABCD", 2, 9, "AB"}, {"ABCD", 9, 2, "ABCD"}, {"ABCD", -3, 2, "CD"}, {"A", 0, 0, ""}};
    for (const Case& c : cases)
        EXPECT_EQ(ApplyDeleteRule(c.text, c.start, c.length), c.result) << c.text << " " << c.start << "+" << c.length;
}

bool IsKey(const std::string& control) {
    return FindCharacterKey(control) || control == kDeleteKey || control == kBackspaceKey;
}

// Both dialogs: every control in the client area, nothing overlapping, keys inside their frame.
TEST(PasswordDialogs, LayoutAndCaptions) {
    struct Case { const char* dialog; int width, height; const char *title, *label, *labelText; };
    for (const Case& c : {Case{"frmPassword", kPasswordDialogWidth, kPasswordDialogHeight, "Unlock", "lbPass", "Passphrase"},
                          Case{"frmSetPassword", kSetPasswordDialogWidth, kSetPasswordDialogHeight, "Set", "lbEnter",
                               "Enter"}}) {
        World w;
        std::map<std::string, FakeView::Control> placed;
        w.forms.scripts[c.dialog] = [&](Form& f) { placed = w.forms.viewOf(f).controls; };
        std::string(c.dialog) == "frmPassword" ? RunPasswordDialog(w.ctx) : RunSetPasswordCommand(w.ctx);
        EXPECT_EQ(placed[""].caption + "|" + placed[c.label].caption, c.title + std::string("|") + c.labelText);
        EXPECT_EQ(placed[c.label].fontSize, 8) << c.dialog;
        placed.erase("");
        const FakeView::Control f = placed["Frame1"];
        auto inside = [](const FakeView::Control& a, int left, int top, int right, int bottom) {
            return a.width > 0 && a.left >= left && a.top >= top && a.left + a.width <= right && a.top + a.height <= bottom;
        };
        for (auto a = placed.begin(); a != placed.end(); ++a) {
            EXPECT_TRUE(IsKey(a->first) ? inside(a->second, f.left + 60, f.top + 60, f.left + f.width - 60,
                                                 f.top + f.height - 60)
                                        : inside(a->second, 0, 0, c.width, c.height)) << c.dialog << " " << a->first;
            for (auto b = std::next(a); b != placed.end(); ++b) {
                const FakeView::Control &x = a->second, &y = b->second;
                const bool keyInFrame = IsKey(a->first) != IsKey(b->first) && (a->first == "Frame1" || b->first == "Frame1");
                EXPECT_TRUE(keyInFrame || x.left + x.width <= y.left || y.left + y.width <= x.left ||
                            x.top + x.height <= y.top || y.top + y.height <= x.top) << a->first << " on " << b->first;
            }
        }
    }
}

// The editing keys behave the same in both dialogs.
TEST(PasswordDialogs, BackspaceDeleteAndTheFiftyCharacterLimit) {
    for (const char* dialog : {"frmPassword", "frmSetPassword"}) {
        World w;
        w.forms.scripts[dialog] = [&](Form& f) {
            FakeView& v = w.forms.viewOf(f);
            f.click("cmdBackspace");   // on an empty field: nothing
            f.click("cmdDel");
            ClickKeys(f, "AB7");
            f.click("cmdBackspace");
            ClickKeys(f, "XY");
            v.setSelection("txtPassword", 1, 2);
            f.click("cmdDel");
            ClickKeys(f, "YZ");
            f.click("cmdDel");   // the key left the caret at the end, nothing selected
            EXPECT_EQ(v.text("txtPassword") + "|" + v.focus, "AYY|txtPassword") << dialog;
            ClickKeys(f, std::string(46, 'K'));
            v.setSelection("txtPassword", 0, 0);   // caret at the start: keys still append
            ClickKeys(f, "12");                    // the 51st is refused
            EXPECT_EQ(v.text("txtPassword"), "AYY" + std::string(46, 'K') + "1") << dialog;
        };
        std::string(dialog) == "frmPassword" ? RunPasswordDialog(w.ctx) : RunSetPasswordCommand(w.ctx);
        EXPECT_TRUE(w.messages.shown.empty()) << dialog;
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
        w.setPassword([&](SetPasswordForm&, FakeView& v) {
            ansiCodePage = c.codePage;
            v.setText("txtPassword2", c.typed);
            ansiCodePage = 1252;
            EXPECT_EQ(v.text("txtPassword2") + "|" + std::to_string(v.c("txtPassword2").selStart),
                      c.kept + "|" + std::to_string(c.kept.size())) << c.typed;
        });
        EXPECT_EQ(w.messages.boxes(), Log(c.refused, Box("T300", "Bad char", MbIconInformation))) << c.typed;
    }
    World w;   // the unlock field is not filtered
    EXPECT_EQ(w.unlock("ab c"), "ab c");
}

TEST(SetPassword, LengthLimits) {
    for (std::size_t length : {8u, 50u, 7u, 0u}) {
        World w;
        const bool accepted = length >= 8;
        const std::string pass = std::string(length / 2, 'A') + std::string(length - length / 2, '7');
        w.setPassword([&](SetPasswordForm& f, FakeView& v) {
            ClickKeys(f, pass);
            f.click("txtPassword2");
            ClickKeys(f, pass);
            f.click("cmdOk");
            EXPECT_EQ(v.isOpen(), !accepted) << length;
            EXPECT_EQ(f.activeField(), accepted ? 2 : 1) << length;
        });
        EXPECT_EQ(w.messages.boxes(), Log{accepted ? Box("T304", "Ann saved", MbIconInformation)
                                                   : Box("T300", "Length", MbIconExclamation)}) << length;
        EXPECT_EQ(GetPassword(w.ctx, kKey1), accepted ? pass : "") << length;
        EXPECT_EQ(w.fs.has(w.path("pass.st")), accepted) << length;
    }
}

// Clicks on the fields choose where the keys type; Tab only moves the focus.
TEST(SetPassword, MismatchSendsTheKeysToTheSecondField) {
    World w;
    w.setPassword([&](SetPasswordForm& f, FakeView& v) {
        ClickKeys(f, "PASS1234");
        f.click("txtPassword2");
        ClickKeys(f, "PASS1235");
        f.click("cmdOk");
        EXPECT_EQ(w.messages.boxes(), Log{Box("T300", "Mismatch", MbIconExclamation)});
        f.click("txtPassword");
        EXPECT_EQ(f.activeField(), 1);
        f.click("txtPassword2");
        v.setFocus("txtPassword");
        f.click("cmdBackspace");
        ClickKeys(f, "4");
        EXPECT_EQ(v.text("txtPassword2") + "|" + v.focus, "PASS1234|txtPassword2");
        EXPECT_TRUE(v.isOpen());
        f.click("cmdOk");
    });
    EXPECT_EQ(GetPassword(w.ctx, kKey1), "PASS1234");
}

TEST(SetPasswordCommand, StatusFlagsAndPointerAroundTheDialog) {
    World w;
    Globals& g = w.ctx.globals();
    bool shown = false;
    w.setPassword([&](SetPasswordForm& f, FakeView&) {
        shown = g.setPasswordForm == &f && g.setPasswordDialogOpen == -1 && w.main.status == "Wait" && !w.desktop.busy;
        ClickKeys(f, "ABCDEFGH");
        if (g.setPasswordDialogOpen && g.setPasswordForm) g.setPasswordForm->view().close();   // as the key's unlock does
    });
    EXPECT_TRUE(shown);
    EXPECT_EQ(g.setPasswordForm, nullptr);
    EXPECT_EQ(g.setPasswordDialogOpen, 0);
    EXPECT_EQ(w.main.status + w.main.statusBar, "");
    EXPECT_EQ(w.usbSerial.calls, 0) << "a known key is not looked for again";
    EXPECT_FALSE(w.fs.has(w.path("pass.st")));
}

TEST(SetPasswordCommand, LooksForTheKeyWhenNoneIsKnown) {
    for (bool programDrive : {true, false}) {
        World w;
        w.ctx.globals().lockUSBKeyId = programDrive ? "X" : "";   // shorter than 2: not a key
        w.usbSerial.setDevices({{"0951", "1642", "QV0001KEY"}});
        if (programDrive) w.drives.types['F'] = Drives::Removable;
        bool shown = false;
        w.setPassword([&](SetPasswordForm&, FakeView&) { shown = true; });
        EXPECT_EQ(shown, programDrive);
        EXPECT_EQ(w.ctx.globals().lockUSBKeyId, programDrive ? kKey1 : "");
        EXPECT_EQ(w.messages.boxes(), programDrive ? Log{} : Log{Box("T300", "No key", MbIconExclamation)});
        EXPECT_EQ(w.main.status + "|" + w.main.statusBar, programDrive ? "|" : "No key|No key");
        EXPECT_FALSE(w.desktop.busy);
    }
}

TEST(UnlockByPassword, Refusals) {
    // stored: nothing means no store at all
    struct Case { const char* name; std::optional<std::string> stored; const char *keyId, *typed, *text, *title; };
    const Case cases[] = {
        {"no key identity", "ABCDEFGH", "", "ABCDEFGH", "No Serial number found!!", kAppTitle},
        {"no store", std::nullopt, kKey1, "ABCDEFGH", "Ann none set", "T302"},
        {"blank password stored", "   ", kKey1, "   ", "Ann none set", "T302"},
        {"lower case never matches", "ABCDEFGH", kKey1, "abcdefgh", "Wrong", "T302"},
        {"other key's password", "ABCDEFGH", "07815567OTHER", "ABCDEFGH", "Ann none set", "T302"},
    };
    for (const Case& c : cases) {
        World w;
        if (c.stored) w.save(*c.stored);
        w.ctx.globals().lockUSBKeyId = c.keyId;
        EXPECT_EQ(w.unlock(c.typed), c.typed) << c.name;   // stays open with the text kept
        EXPECT_EQ(w.messages.boxes(), Log{Box(c.title, c.text, MbIconCritical)}) << c.name;
        EXPECT_TRUE(w.log.empty()) << c.name;
        EXPECT_EQ(w.ctx.globals().passwordDialogOpen, 0);
        EXPECT_EQ(w.ctx.globals().passwordForm, nullptr);
    }
}

// A match ends the lock step by step; the typed text is trimmed, and no window is needed.
TEST(UnlockByPassword, MatchEndsTheLockInOrder) {
    for (int run : {0, 1, 2}) {
        World w;
        w.save("OPEN1234");
        w.ctx.globals().lockResumedAtStartup = run > 0;
        if (run == 2) {
            w.ctx.setMainWindow(nullptr);
            w.ctx.setLockScreen(nullptr);
            w.ctx.setDriveNotifications(nullptr);
        }
        bool openWhenLockUnloads = true;
        w.unlockWith([&](Form& f, FakeView& v) {
            EXPECT_EQ(w.ctx.globals().passwordDialogOpen, -1);
            EXPECT_EQ(w.ctx.globals().passwordForm, &f);
            EXPECT_TRUE(v.topMost);
            v.setText("txtPassword", " OPEN1234 ");
            v.onClose = [&] { w.log.push_back("closeDialog"); };
            f.click("cmdOk");
            openWhenLockUnloads = v.isOpen();
        });
        Log expected{"delLockIni", "status Ann unlocked", "unregister", "disarmed", "closeDialog", "stopClock",
                     "unloadLock"};
        if (run == 1) expected.push_back("unloadMain");
        if (run == 2) expected = {"closeDialog"};
        EXPECT_EQ(w.log, expected) << run;
        EXPECT_FALSE(openWhenLockUnloads);
        EXPECT_TRUE(w.messages.shown.empty());
    }
}

TEST(UnlockByPassword, PassphraseHeldSinceArmingFollowsChangesAndOutlivesTheStick) {
    World w;
    w.save("OPEN1234");
    HoldLockNeeds(w.ctx);
    w.save("CHANGED9");   // changed while armed
    w.fs.files.clear();   // the stick is pulled
    EXPECT_EQ(w.unlock("OPEN1234"), "OPEN1234");
    EXPECT_EQ(w.messages.boxes(), Log{Box("T302", "Wrong", MbIconCritical)});
    EXPECT_EQ(w.unlock("CHANGED9"), "<closed>");
    EXPECT_FALSE(w.ctx.globals().lockNeeds.held || !w.ctx.globals().lockNeeds.passphrase.empty());
}

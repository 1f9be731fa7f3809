// Setting the passphrase and unlocking with it: the set-password command and the
// password dialog of the lock screen.
#include <gtest/gtest.h>

#include "lock/lock_needs.h"
#include "lock_timer_world.h"
#include "password/keyboard.h"
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

// Every step of the unlock, in one log.
struct LoggingMainWindow : FakeMainWindow {
    Log& log;
    explicit LoggingMainWindow(Log& l) : log(l) {}
    void setStatus(const std::string& t) override { FakeMainWindow::setStatus(t), log.push_back("status " + t); }
    void setArmed(bool a) override { FakeMainWindow::setArmed(a), log.push_back(a ? "armed" : "disarmed"); }
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

struct World : FakeWorld {
    Log log;
    LoggingMainWindow main{log};
    LoggingLockScreen lock{log};
    LoggingNotifications notify{log};

    World() {
        fs.put(path("bf.dat"), LockTimerWorld::boxFile());
        loadStrings({{300, "T300"}, {302, "T302"}, {304, "T304"}, {514, "No key"}, {515, "Wait"},
                     {516, "%username unlocked"}, {523, "Length"}, {524, "Mismatch"}, {525, "%username saved"},
                     {526, "Bad char"}, {527, "Wrong"}, {528, "%username none set"}});
        ctx.globals().ownerName = "Ann";
        ctx.globals().lockUSBKeyId = kKey1;
        ctx.setMainWindow(&main);
        ctx.setLockScreen(&lock);
        ctx.setDriveNotifications(&notify);
        lock.loaded = true;
    }
    void save(const std::string& password) { ASSERT_TRUE(SavePassword(ctx, password)); }
    // Runs the set-password command; `script` types while the dialog is open.
    void setPassword(std::function<void(SetPasswordForm&)> script) {
        forms.scripts["frmSetPassword"] = [script](Form& f) { script(static_cast<SetPasswordForm&>(f)); };
        RunSetPasswordCommand(ctx);
    }
    void enterTwice(SetPasswordForm& f, const std::string& first, const std::string& second) {
        ClickKeys(f, first);
        f.click("txtPassword2");
        ClickKeys(f, second);
        f.click("cmdOk");
    }
    // Runs the password dialog, types `typed` into its field and clicks OK; gives what is
    // left in the field, or "<closed>".
    std::string unlock(const std::string& typed) {
        std::string left;
        forms.scripts["frmPassword"] = [&](Form& f) {
            forms.viewOf(f).setText("txtPassword", typed);
            f.click("cmdOk");
            left = forms.viewOf(f).isOpen() ? forms.viewOf(f).text("txtPassword") : "<closed>";
        };
        RunPasswordDialog(ctx);
        return left;
    }
    Log boxes() const { return messages.boxes(); }
};

std::string Box(const std::string& title, const std::string& text, unsigned flags) {
    return FakeMessageBoxes::box(title, text, flags);
}

}  // namespace

TEST(SetPassword, LengthLimits) {
    for (std::size_t length : {8u, 50u, 7u, 0u}) {
        World w;
        const bool accepted = length >= 8;
        const std::string pass = std::string(length / 2, 'A') + std::string(length - length / 2, '7');
        bool openAfterOk = false;
        int activeAfterOk = 0;
        w.setPassword([&](SetPasswordForm& f) {
            w.enterTwice(f, pass, pass);
            openAfterOk = w.forms.viewOf(f).isOpen();
            activeAfterOk = f.activeField();
        });
        EXPECT_EQ(w.boxes(), Log{accepted ? Box("T304", "Ann saved", MbIconInformation)
                                            : Box("T300", "Length", MbIconExclamation)}) << length;
        EXPECT_EQ(openAfterOk, !accepted) << length;
        EXPECT_EQ(GetPassword(w.ctx, kKey1), accepted ? pass : "") << length;
        EXPECT_EQ(w.fs.has(w.path("pass.st")), accepted) << length;
        EXPECT_FALSE(w.fs.has(w.path("pass.ini")));
        if (!accepted) {
            EXPECT_EQ(activeAfterOk, 1) << length;
        }
    }
}

TEST(SetPassword, MismatchInTheLastCharacterSendsKeysToTheSecondField) {
    World w;
    w.setPassword([&](SetPasswordForm& f) {
        FakeView& v = w.forms.viewOf(f);
        w.enterTwice(f, "PASS1234", "PASS1235");
        EXPECT_EQ(w.boxes(), Log{Box("T300", "Mismatch", MbIconExclamation)});
        EXPECT_EQ(f.activeField(), 2);
        f.click("txtPassword");   // a click on field 1 ...
        f.click("txtPassword2");  // ... and back
        f.click("cmdBackspace");
        ClickKeys(f, "4");
        EXPECT_EQ(v.text("txtPassword2"), "PASS1234");
        EXPECT_TRUE(v.isOpen());
        f.click("cmdOk");
    });
    EXPECT_EQ(GetPassword(w.ctx, kKey1), "PASS1234");
}

TEST(SetPasswordCommand, StatusFlagsAndPointerAroundTheDialog) {
    World w;
    Globals& g = w.ctx.globals();
    bool shown = false;
    w.setPassword([&](SetPasswordForm& f) {
        shown = true;
        EXPECT_EQ(g.setPasswordForm, &f);
        EXPECT_EQ(g.setPasswordDialogOpen, -1);
        EXPECT_EQ(w.main.status, "Wait");
        EXPECT_FALSE(w.desktop.busy);
    });
    EXPECT_TRUE(shown);
    EXPECT_EQ(g.setPasswordForm, nullptr);
    EXPECT_EQ(g.setPasswordDialogOpen, 0);
    EXPECT_EQ(w.main.status + w.main.statusBar, "");
    EXPECT_EQ(w.usbSerial.calls, 0) << "a known key is not looked for again";

    // An unlock by the USB key closes the open dialog: nothing is saved.
    w.setPassword([&](SetPasswordForm& f) {
        ClickKeys(f, "ABCDEFGH");
        if (g.setPasswordDialogOpen && g.setPasswordForm) g.setPasswordForm->view().close();
        EXPECT_FALSE(w.forms.viewOf(f).isOpen());
    });
    EXPECT_FALSE(w.fs.has(w.path("pass.st")));
    EXPECT_EQ(g.setPasswordDialogOpen, 0);
}

TEST(SetPasswordCommand, LooksForTheKeyWhenNoneIsKnown) {
    for (bool programDrive : {true, false}) {
        World w;
        w.ctx.globals().lockUSBKeyId = programDrive ? "X" : "";   // shorter than 2: not a key
        w.usbSerial.setDevices({{"0951", "1642", "QV0001KEY", "Kingston", "DataTraveler"}});
        if (programDrive) w.drives.types['F'] = Drives::Removable;
        bool shown = false;
        w.setPassword([&](SetPasswordForm&) { shown = true; });
        EXPECT_EQ(shown, programDrive);
        EXPECT_EQ(w.ctx.globals().lockUSBKeyId, programDrive ? kKey1 : "");
        EXPECT_EQ(w.boxes(), programDrive ? Log{} : Log{Box("T300", "No key", MbIconExclamation)});
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
        {"empty password stored", "", kKey1, "", "Ann none set", "T302"},
        {"blank password stored", "   ", kKey1, "   ", "Ann none set", "T302"},
        {"lower case never matches", "ABCDEFGH", kKey1, "abcdefgh", "Wrong", "T302"},
        {"other key's password", "ABCDEFGH", "07815567OTHER", "ABCDEFGH", "Ann none set", "T302"},
        {"wrong", "ABCDEFGH", kKey1, "ABCDEFGX", "Wrong", "T302"},
    };
    for (const Case& c : cases) {
        World w;
        if (c.stored) w.save(*c.stored);
        w.ctx.globals().lockUSBKeyId = c.keyId;
        EXPECT_EQ(w.unlock(c.typed), c.typed) << c.name;   // stays open with the text kept
        EXPECT_EQ(w.boxes(), Log{Box(c.title, c.text, MbIconCritical)}) << c.name;
        EXPECT_TRUE(w.log.empty()) << c.name;
        EXPECT_EQ(w.ctx.globals().passwordDialogOpen, 0);
        EXPECT_EQ(w.ctx.globals().passwordForm, nullptr);
    }
}

TEST(UnlockByPassword, MatchEndsTheLockInOrder) {
    for (bool resumed : {false, true}) {
        World w;
        w.save("OPEN1234");
        w.ctx.globals().lockResumedAtStartup = resumed;
        bool openWhenLockUnloads = true;
        w.forms.scripts["frmPassword"] = [&](Form& f) {
            EXPECT_EQ(w.ctx.globals().passwordDialogOpen, -1);
            EXPECT_EQ(w.ctx.globals().passwordForm, &f);
            EXPECT_TRUE(w.forms.viewOf(f).topMost);
            ClickKeys(f, "OPEN1234");
            w.forms.viewOf(f).onClose = [&] { w.log.push_back("closeDialog"); };
            f.click("cmdOk");
            openWhenLockUnloads = w.forms.viewOf(f).isOpen();
        };
        RunPasswordDialog(w.ctx);
        Log expected{"delLockIni", "status Ann unlocked", "unregister", "disarmed",
                       "closeDialog", "stopClock", "unloadLock"};
        if (resumed) expected.push_back("unloadMain");
        EXPECT_EQ(w.log, expected);
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
    EXPECT_EQ(w.boxes(), Log{Box("T302", "Wrong", MbIconCritical)});
    EXPECT_EQ(w.unlock("CHANGED9"), "<closed>");
    EXPECT_FALSE(w.ctx.globals().lockNeeds.held || !w.ctx.globals().lockNeeds.passphrase.empty());
}

TEST(UnlockByPassword, TypedTextIsTrimmedAndNoWindowsAreNeeded) {
    World w;
    w.save("LETTERS9");
    EXPECT_EQ(w.unlock("  LETTERS9 "), "<closed>");
    w.ctx.setMainWindow(nullptr);
    w.ctx.setLockScreen(nullptr);
    w.ctx.setDriveNotifications(nullptr);
    w.ctx.globals().lockResumedAtStartup = true;
    EXPECT_EQ(w.unlock("LETTERS9"), "<closed>");
}

// Setting the passphrase and unlocking with it: the OK buttons of both dialogs, the
// set-password command and the password dialog of the lock screen.
#include <fstream>
#include <sstream>

#include <gtest/gtest.h>

#include "fakes.h"
#include "password/box_table.h"
#include "password/keyboard.h"
#include "password/password_forms.h"
#include "password/password_store.h"
#include "password/set_password_command.h"

using namespace qv;
using namespace qv::test;

namespace {

constexpr const char* kKey1 = "09511642QV0001KEY";
constexpr const char* kKey2 = "07815567OTHER";

std::string BoxFile() {
    std::ifstream in(std::string(QV_SOURCE_DIR) + "/src/password/blowfish_initial_boxes.txt");
    std::stringstream text;
    text << in.rdbuf();
    return BuildBoxFile(text.str());
}

void ClickKeys(Form& form, const std::string& chars) {
    for (char c : chars) {
        for (const KeyboardKey& k : CharacterKeys()) {
            if (k.character == c) form.click(k.name);
        }
    }
}

// Every step of the unlock, in one log.
struct Log {
    std::vector<std::string> steps;
};
struct LoggingMainWindow : FakeMainWindow {
    Log& log;
    explicit LoggingMainWindow(Log& l) : log(l) {}
    void setStatus(const std::string& t) override {
        FakeMainWindow::setStatus(t);
        log.steps.push_back("status " + t);
    }
    void setArmed(bool a) override {
        FakeMainWindow::setArmed(a);
        log.steps.push_back(a ? "armed" : "disarmed");
    }
    void delLockIni() override { log.steps.push_back("delLockIni"); }
    void unloadMainWindow() override { log.steps.push_back("unloadMain"); }
};
struct LoggingLockScreen : FakeLockScreen {
    Log& log;
    explicit LoggingLockScreen(Log& l) : log(l) {}
    void stopClock() override { log.steps.push_back("stopClock"); }
    void unload() override { log.steps.push_back("unloadLock"); }
};
struct LoggingNotifications : FakeDriveNotifications {
    Log& log;
    explicit LoggingNotifications(Log& l) : log(l) {}
    bool unregisterDriveNotify() override {
        log.steps.push_back("unregister");
        return true;
    }
};

struct World : FakeWorld {
    Log log;
    LoggingMainWindow main{log};
    LoggingLockScreen lock{log};
    LoggingNotifications notify{log};

    World() {
        fs.put(path("bf.dat"), BoxFile());
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
    void save(const std::string& keyId, const std::string& password) {
        std::string kept = ctx.globals().lockUSBKeyId;
        ctx.globals().lockUSBKeyId = keyId;
        ASSERT_TRUE(SavePassword(ctx, password));
        ctx.globals().lockUSBKeyId = kept;
    }
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
    // Runs the password dialog and types `typed` into its field before OK.
    bool unlock(const std::string& typed) {
        bool closed = false;
        forms.scripts["frmPassword"] = [&](Form& f) {
            forms.viewOf(f).setText("txtPassword", typed);
            f.click("cmdOk");
            closed = !forms.viewOf(f).isOpen();
        };
        RunPasswordDialog(ctx);
        return closed;
    }
    std::vector<std::string> texts() const {
        std::vector<std::string> out;
        for (const ShownMessage& m : messages.shown) out.push_back(m.text);
        return out;
    }
};

using Texts = std::vector<std::string>;

}  // namespace

TEST(SetPassword, LengthLimits) {
    struct Case {
        std::size_t length;
        bool accepted;
    } cases[] = {{8, true}, {50, true}, {7, false}, {0, false}};
    for (const Case& c : cases) {
        World w;
        const std::string pass = std::string(c.length / 2, 'A') + std::string(c.length - c.length / 2, '7');
        bool openAfterOk = false;
        int activeAfterOk = 0;
        w.setPassword([&](SetPasswordForm& f) {
            w.enterTwice(f, pass, pass);
            openAfterOk = w.forms.viewOf(f).isOpen();
            activeAfterOk = f.activeField();
        });
        if (c.accepted) {
            EXPECT_EQ(w.texts(), Texts{"Ann saved"}) << c.length;
            EXPECT_EQ(w.messages.last().title, "T304");
            EXPECT_EQ(w.messages.last().flags, unsigned(MbIconInformation));
            EXPECT_FALSE(openAfterOk);
            EXPECT_EQ(GetPassword(w.ctx, kKey1), pass);
            EXPECT_TRUE(w.fs.has(w.path("pass.st")));
            EXPECT_FALSE(w.fs.has(w.path("pass.ini")));
        } else {
            EXPECT_EQ(w.texts(), Texts{"Length"}) << c.length;
            EXPECT_EQ(w.messages.last().title, "T300");
            EXPECT_EQ(w.messages.last().flags, unsigned(MbIconExclamation));
            EXPECT_TRUE(openAfterOk);
            EXPECT_EQ(activeAfterOk, 1);
            EXPECT_FALSE(w.fs.has(w.path("pass.st")));
        }
    }
}

TEST(SetPassword, MismatchInTheLastCharacterSendsKeysToTheSecondField) {
    World w;
    w.setPassword([&](SetPasswordForm& f) {
        FakeView& v = w.forms.viewOf(f);
        w.enterTwice(f, "PASS1234", "PASS1235");
        EXPECT_EQ(w.texts(), Texts{"Mismatch"});
        EXPECT_EQ(w.messages.last().flags, unsigned(MbIconExclamation));
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

TEST(SetPassword, EachKeyKeepsItsOwnPassword) {
    World w;
    w.setPassword([&](SetPasswordForm& f) { w.enterTwice(f, "FIRST111", "FIRST111"); });
    w.ctx.globals().lockUSBKeyId = kKey2;
    w.setPassword([&](SetPasswordForm& f) { w.enterTwice(f, "SECOND22", "SECOND22"); });
    EXPECT_EQ(GetPassword(w.ctx, kKey1), "FIRST111");
    EXPECT_EQ(GetPassword(w.ctx, kKey2), "SECOND22");
    EXPECT_TRUE(w.unlock("SECOND22"));
    w.ctx.globals().lockUSBKeyId = kKey1;
    EXPECT_FALSE(w.unlock("SECOND22"));
    EXPECT_TRUE(w.unlock("FIRST111"));
}

TEST(SetPasswordCommand, StatusFlagsAndPointerAroundTheDialog) {
    World w;
    Form* seenForm = nullptr;
    std::int16_t seenFlag = 0;
    std::string seenStatus;
    w.setPassword([&](SetPasswordForm& f) {
        seenForm = w.ctx.globals().setPasswordForm;
        seenFlag = w.ctx.globals().setPasswordDialogOpen;
        seenStatus = w.main.status;
        EXPECT_FALSE(w.desktop.busy);
        EXPECT_EQ(f.activeField(), 1);
    });
    EXPECT_NE(seenForm, nullptr);
    EXPECT_EQ(seenFlag, -1);
    EXPECT_EQ(seenStatus, "Wait");
    EXPECT_EQ(w.ctx.globals().setPasswordForm, nullptr);
    EXPECT_EQ(w.ctx.globals().setPasswordDialogOpen, 0);
    EXPECT_EQ(w.main.status, "");
    EXPECT_EQ(w.main.statusBar, "");
    EXPECT_FALSE(w.desktop.busy);
    EXPECT_GE(w.desktop.doEventsCalls, 2);
    EXPECT_EQ(w.usbSerial.calls, 0) << "a known key is not looked for again";
}

TEST(SetPasswordCommand, ClosedByTheMainWindowWhileOpen) {
    World w;
    w.setPassword([&](SetPasswordForm& f) {
        ClickKeys(f, "ABCDEFGH");
        // An unlock by the USB key closes the open lock dialogs.
        Globals& g = w.ctx.globals();
        if (g.setPasswordDialogOpen && g.setPasswordForm) g.setPasswordForm->view().close();
        EXPECT_FALSE(w.forms.viewOf(f).isOpen());
    });
    EXPECT_FALSE(w.fs.has(w.path("pass.st")));
    EXPECT_EQ(w.ctx.globals().setPasswordDialogOpen, 0);
}

TEST(SetPasswordCommand, FindsTheKeyWhenNoneIsKnown) {
    World w;
    w.ctx.globals().lockUSBKeyId = "X";   // shorter than 2: not a key
    w.usbSerial.setDevices({{"0951", "1642", "QV0001KEY", "Kingston", "DataTraveler"}});
    w.drives.types['F'] = Drives::Removable;
    bool shown = false;
    w.setPassword([&](SetPasswordForm&) { shown = true; });
    EXPECT_TRUE(shown);
    EXPECT_EQ(w.ctx.globals().lockUSBKeyId, "09511642QV0001KEY");
}

TEST(SetPasswordCommand, NoKeyFoundOpensNoDialog) {
    World w;
    w.ctx.globals().lockUSBKeyId = "";
    w.usbSerial.setDevices({{"0951", "1642", "QV0001KEY"}});   // but no drive holds the program
    w.setPassword([&](SetPasswordForm&) { ADD_FAILURE() << "dialog shown"; });
    EXPECT_EQ(w.texts(), Texts{"No key"});
    EXPECT_EQ(w.messages.last().title, "T300");
    EXPECT_EQ(w.messages.last().flags, unsigned(MbIconExclamation));
    EXPECT_EQ(w.main.status, "No key");
    EXPECT_EQ(w.main.statusBar, "No key");
    EXPECT_FALSE(w.desktop.busy);
    EXPECT_EQ(w.ctx.globals().lockUSBKeyId, "");
}

TEST(UnlockByPassword, Refusals) {
    struct Case {
        const char* name;
        std::optional<std::string> stored;   // nothing: no store at all
        const char* keyId;
        const char* typed;
        const char* text;
        const char* title;
    } cases[] = {
        {"no key identity", "ABCDEFGH", "", "ABCDEFGH", "No Serial number found!!", kAppTitle},
        {"no store", std::nullopt, kKey1, "ABCDEFGH", "Ann none set", "T302"},
        {"empty password stored", "", kKey1, "", "Ann none set", "T302"},
        {"blank password stored", "   ", kKey1, "   ", "Ann none set", "T302"},
        {"lower case never matches", "ABCDEFGH", kKey1, "abcdefgh", "Wrong", "T302"},
        {"other key's password", "ABCDEFGH", kKey2, "ABCDEFGH", "Ann none set", "T302"},
        {"wrong", "ABCDEFGH", kKey1, "ABCDEFGX", "Wrong", "T302"},
    };
    for (const Case& c : cases) {
        World w;
        if (c.stored) w.save(kKey1, *c.stored);
        w.ctx.globals().lockUSBKeyId = c.keyId;
        std::string left;
        w.forms.scripts["frmPassword"] = [&](Form& f) {
            FakeView& v = w.forms.viewOf(f);
            v.setText("txtPassword", c.typed);
            f.click("cmdOk");
            EXPECT_TRUE(v.isOpen()) << c.name;
            left = v.text("txtPassword");
        };
        RunPasswordDialog(w.ctx);
        EXPECT_EQ(w.texts(), Texts{c.text}) << c.name;
        EXPECT_EQ(w.messages.last().title, c.title) << c.name;
        EXPECT_EQ(w.messages.last().flags, unsigned(MbIconCritical)) << c.name;
        EXPECT_EQ(left, c.typed) << c.name;
        EXPECT_TRUE(w.log.steps.empty()) << c.name;
        EXPECT_EQ(w.ctx.globals().passwordDialogOpen, 0);
        EXPECT_EQ(w.ctx.globals().passwordForm, nullptr);
    }
}

TEST(UnlockByPassword, MatchEndsTheLockInOrder) {
    for (bool resumed : {false, true}) {
        World w;
        w.save(kKey1, "OPEN1234");
        w.ctx.globals().lockResumedAtStartup = resumed;
        bool openWhenLockUnloads = true;
        w.forms.scripts["frmPassword"] = [&](Form& f) {
            EXPECT_EQ(w.ctx.globals().passwordDialogOpen, -1);
            EXPECT_EQ(w.ctx.globals().passwordForm, &f);
            EXPECT_TRUE(w.forms.viewOf(f).topMost);
            ClickKeys(f, "OPEN1234");
            w.forms.viewOf(f).onClose = [&] { w.log.steps.push_back("closeDialog"); };
            f.click("cmdOk");
            openWhenLockUnloads = w.forms.viewOf(f).isOpen();
        };
        RunPasswordDialog(w.ctx);
        std::vector<std::string> expected{"delLockIni", "status Ann unlocked", "unregister", "disarmed",
                                          "closeDialog", "stopClock", "unloadLock"};
        if (resumed) expected.push_back("unloadMain");
        EXPECT_EQ(w.log.steps, expected);
        EXPECT_FALSE(openWhenLockUnloads);
        EXPECT_TRUE(w.messages.shown.empty());
    }
}

TEST(UnlockByPassword, SpacesAroundTheTypedTextAreIgnored) {
    World w;
    w.save(kKey1, "LETTERS9");
    EXPECT_TRUE(w.unlock("  LETTERS9 "));
}

TEST(UnlockByPassword, WorksWithoutMainWindowOrLockScreen) {
    World w;
    w.save(kKey1, "LETTERS9");
    w.ctx.setMainWindow(nullptr);
    w.ctx.setLockScreen(nullptr);
    w.ctx.setDriveNotifications(nullptr);
    w.ctx.globals().lockResumedAtStartup = true;
    EXPECT_TRUE(w.unlock("LETTERS9"));
}

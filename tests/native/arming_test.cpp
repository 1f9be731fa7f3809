#include <gtest/gtest.h>

#include "lock/arming.h"
#include "lock_timer_world.h"
#include "password/password_store.h"

using namespace qv;
using namespace qv::test;

namespace {

struct ArmWorld : FakeWorld {
    explicit ArmWorld(bool keyDrive = true) {
        loadStrings({{300, "T300"}, {304, "Passphrase"}, {511, "Looking"}, {513, "Armed"}, {514, "No key"},
                     {516, "Off, %username"}, {556, "No passphrase"}, {558, "Set one, %username?"}, {559, "Now?"}},
                    {{528, "Administrators only, %username"}});
        ctx.globals().ownerName = "Ann";
        usbSerial.setDevices({{"0951", "1642", "QV0001KEY"}});
        if (keyDrive) drives.types['F'] = Drives::Removable;
        messages.onShow = [this] { EXPECT_FALSE(desktop.busy) << "no busy pointer over a message"; };
    }
    std::string texts() const {
        std::string out;
        for (const ShownMessage& m : messages.shown) out += m.title + ": " + m.text + "|";
        return out;
    }
};

}  // namespace

TEST(Arming, RefusesWithoutAdministratorRightsOrAKeyDrive) {
    ArmWorld user, noDrive(false);   // a device, but no drive with the key folder
    user.system.admin = false;
    for (ArmWorld* w : {&user, &noDrive}) {
        ArmLock(w->ctx);
        EXPECT_FALSE(w->mainWindow.armed.has_value() || w->desktop.busy);
        EXPECT_TRUE(w->notifications.calls.empty());
    }
    EXPECT_EQ(user.messages.boxes(), Log{FakeMessageBoxes::box("T300", "Administrators only, Ann",
                                                               MbOk | MbIconExclamation)});
    EXPECT_EQ(noDrive.texts(), "T300: No key|");
    EXPECT_EQ(noDrive.mainWindow.status + "|" + noDrive.mainWindow.statusBar, "No key|No key");
}

TEST(Arming, ArmsOnlyWithAPassphraseAndTheDriveNoticesHoldingThePassphraseAndDisarmsAfterAsking) {
    const std::string noNotices = "Windows did not agree to report drives being removed, so pulling the key would not "
                                  "lock this computer. The lock has not been activated.";
    struct Case { std::string passphrase; bool registers; std::string texts, status; };
    const Case cases[] = {
        {"OPEN1234", true, "", "Armed"},
        {"OPEN1234", false, "T300: " + noNotices + "|", noNotices},
        {"", true, "Passphrase: Set one, Ann?\r\nNow?|T300: No passphrase|", "No passphrase"},   // "No" to setting one
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.status);
        ArmWorld w;
        w.fs.put(w.path("bf.dat"), LockTimerWorld::boxFile());
        w.ctx.globals().lockUSBKeyId = "09511642QV0001KEY";
        ASSERT_TRUE(c.passphrase.empty() || SavePassword(w.ctx, c.passphrase));
        w.ctx.globals().lockUSBKeyId.clear();
        w.notifications.registers = c.registers;
        w.messages.answers = {IdNo};
        ArmLock(w.ctx);
        const bool armed = c.status == "Armed";
        EXPECT_EQ(w.mainWindow.armed.value_or(false), armed);
        EXPECT_EQ(w.ctx.globals().lockNeeds.passphrase, armed ? c.passphrase : "");
        EXPECT_EQ(w.notifications.calls.empty(), c.passphrase.empty());
        EXPECT_EQ(w.texts(), c.texts);
        EXPECT_TRUE(w.mainWindow.calls.empty());   // the set-password command was not run
        EXPECT_EQ(w.ctx.globals().lockUSBKeyId + " " + w.ctx.globals().lockDriveLetter, "09511642QV0001KEY F");
        // The search shows, and is painted, before the key is looked for; the pointer is back after.
        EXPECT_EQ(w.mainWindow.statuses.front() + "|" + w.mainWindow.status, "Looking|" + c.status);
        EXPECT_EQ(w.desktop.doEventsCalls, 1);
        EXPECT_FALSE(w.desktop.busy);
        const std::size_t noticesBefore = w.notifications.calls.size();
        w.messages.answers = {IdNo, IdYes};
        DisarmLock(w.ctx);   // "No": nothing changes
        EXPECT_EQ(w.notifications.calls.size(), noticesBefore);
        DisarmLock(w.ctx);
        EXPECT_EQ(w.notifications.calls.back() + "|" + w.mainWindow.status, "unregister|Off, Ann");
        EXPECT_EQ(w.mainWindow.armed, false);
    }
}

#include <gtest/gtest.h>

#include "lock/arming.h"
#include "lock_timer_world.h"
#include "password/password_store.h"

using namespace qv;
using namespace qv::test;

namespace {

struct ArmWorld : FakeWorld {
    ArmWorld() {
        loadStrings({{300, "T300"}, {304, "Passphrase"}, {511, "Looking"}, {513, "Armed"}, {514, "No key"},
                     {516, "Off, %username"}, {556, "No passphrase"},
                     {558, "Set one, %username?"}, {559, "Now?"}},
                    {{528, "Administrators only, %username"}});
        ctx.globals().ownerName = "Ann";
    }
};

}  // namespace

TEST(Arming, RefusesWithoutAdministratorRightsOrAKeyDrive) {
    ArmWorld user, noDrive;
    user.system.admin = false;
    noDrive.usbSerial.setDevices({{"0951", "1642", "QV0001KEY"}});   // a device, but no drive with the key folder
    for (ArmWorld* w : {&user, &noDrive}) {
        w->messages.onShow = [w] { EXPECT_FALSE(w->desktop.busy) << "no busy pointer over a message"; };
        ArmLock(w->ctx);
        EXPECT_EQ(w->messages.shown.size(), 1u);
        EXPECT_FALSE(w->mainWindow.armed.has_value() || w->desktop.busy);
        EXPECT_TRUE(w->notifications.calls.empty());
    }
    EXPECT_EQ(user.messages.last().text, "Administrators only, Ann");
    EXPECT_EQ(user.messages.last().flags, MbOk | MbIconExclamation);
    EXPECT_EQ(noDrive.messages.last().text, "No key");
    EXPECT_EQ(noDrive.mainWindow.status + "|" + noDrive.mainWindow.statusBar, "No key|No key");
}

TEST(Arming, NoPassphraseAndNoToTheQuestionStopsBeforeArming) {
    ArmWorld w;
    w.usbSerial.setDevices({{"0951", "1642", "QV0001KEY"}});
    w.drives.types['F'] = Drives::Removable;
    w.messages.answers = {IdNo};
    ArmLock(w.ctx);
    ASSERT_GE(w.messages.shown.size(), 2u);
    EXPECT_EQ(w.messages.shown[0].text, "Set one, Ann?\r\nNow?");
    EXPECT_EQ(w.messages.shown[0].title, "Passphrase");
    EXPECT_EQ(w.messages.last().text, "No passphrase");
    EXPECT_EQ(w.mainWindow.status, "No passphrase");
    EXPECT_TRUE(w.mainWindow.calls.empty());   // the set-password command was not run
    EXPECT_FALSE(w.mainWindow.armed.has_value());
    EXPECT_TRUE(w.notifications.calls.empty());
    EXPECT_EQ(w.ctx.globals().lockUSBKeyId + " " + w.ctx.globals().lockDriveLetter, "09511642QV0001KEY F");
}

TEST(Arming, ArmsOnlyWithTheDriveNoticesAndThenHoldsThePassphrase) {
    for (bool registers : {true, false}) {
        SCOPED_TRACE(registers);
        ArmWorld w;
        w.usbSerial.setDevices({{"0951", "1642", "QV0001KEY"}});
        w.drives.types['F'] = Drives::Removable;
        w.fs.put(w.path("bf.dat"), LockTimerWorld::boxFile());
        w.ctx.globals().lockUSBKeyId = "09511642QV0001KEY";
        ASSERT_TRUE(SavePassword(w.ctx, "OPEN1234"));
        w.notifications.registers = registers;
        w.messages.onShow = [&w] { EXPECT_FALSE(w.desktop.busy) << "no busy pointer over a message"; };
        ArmLock(w.ctx);
        EXPECT_EQ(w.mainWindow.armed.value_or(false), registers);
        EXPECT_EQ(w.ctx.globals().lockNeeds.passphrase, registers ? "OPEN1234" : "");
        EXPECT_EQ(w.messages.boxes().size(), registers ? 0u : 1u);
        EXPECT_TRUE(registers || w.messages.last().title == "T300");
        // The search shows, and is painted, before the key is looked for; the pointer is back after.
        EXPECT_EQ(w.mainWindow.statuses.front(), "Looking");
        EXPECT_EQ(w.mainWindow.status == "Armed", registers);
        EXPECT_EQ(w.desktop.doEventsCalls, 1);
        EXPECT_FALSE(w.desktop.busy);
    }
}

TEST(Arming, DisarmAsksThenCancelsTheNotifications) {
    ArmWorld w;
    w.messages.answers = {IdNo};
    DisarmLock(w.ctx);
    EXPECT_TRUE(w.notifications.calls.empty());
    w.messages.answers = {IdYes};
    DisarmLock(w.ctx);
    EXPECT_EQ(w.notifications.calls, std::vector<std::string>{"unregister"});
    EXPECT_EQ(w.mainWindow.armed, false);
    EXPECT_EQ(w.mainWindow.status, "Off, Ann");
}

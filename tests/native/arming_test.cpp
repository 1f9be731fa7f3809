#include <gtest/gtest.h>

#include "fakes.h"
#include "lock/arming.h"

using namespace qv;
using namespace qv::test;

namespace {

struct ArmWorld : FakeWorld {
    ArmWorld() {
        loadStrings({{300, "Quorvel"}, {304, "Passphrase"}, {511, "Searching"}, {513, "Armed, %username"},
                     {514, "No key"}, {516, "Off, %username"}, {556, "No passphrase"}, {558, "Set one, %username?"},
                     {559, "Now?"}, {510, "Sure?"}, {303, "Deactivate"}},
                    {{528, "Administrators only, %username"}});
        ctx.globals().ownerName = "Ann";
    }
};

}  // namespace

TEST(Arming, RefusesWithoutAdministratorRights) {
    ArmWorld w;
    w.system.admin = false;
    ArmLock(w.ctx);
    ASSERT_EQ(w.messages.shown.size(), 1u);
    EXPECT_EQ(w.messages.last().text, "Administrators only, Ann");
    EXPECT_EQ(w.messages.last().flags, MbOk | MbIconExclamation);
    EXPECT_FALSE(w.mainWindow.armed.has_value());
    EXPECT_TRUE(w.notifications.calls.empty());
}

TEST(Arming, RefusesWithoutAKeyDrive) {
    ArmWorld w;   // no USB device at all: the device check reports, then no key
    w.usbSerial.status = 1;
    w.usbSerial.setDevices({{"0951", "1642", "QV0001KEY"}});
    ArmLock(w.ctx);   // one device but no drive holding the key folder
    EXPECT_EQ(w.mainWindow.status, "No key");
    EXPECT_EQ(w.mainWindow.statusBar, "No key");
    EXPECT_EQ(w.messages.last().text, "No key");
    EXPECT_FALSE(w.mainWindow.armed.has_value());
    EXPECT_FALSE(w.desktop.busy);
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
    EXPECT_EQ(w.ctx.globals().lockUSBKeyId, "09511642QV0001KEY");
    EXPECT_EQ(w.ctx.globals().lockDriveLetter, "F");
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

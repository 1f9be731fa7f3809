#include <gtest/gtest.h>

#include "fakes.h"
#include "usbkey/find_usb_lock_drive.h"

using namespace qv;
using namespace qv::test;

namespace {

struct Drive {
    char letter;
    unsigned type;
    bool ready = true;
    bool keyFolder = true;
    unsigned folderAttributes = AttrDirectory;
};

using Devices = std::vector<std::vector<std::string>>;
const Devices kOneKey{{"0951", "1642", "001372"}};
const Devices kTwo{{"0951", "1642", "001372", "Maker", "Stick"}, {"0781", "5567", "00AB"}};

struct World : FakeWorld {
    void addDrive(const Drive& d) {
        drives.types[d.letter] = d.type;
        if (!d.ready) drives.notReady.insert(d.letter);
        fs.mkdir(std::string(1, d.letter) + ":\\");
        if (d.keyFolder) fs.mkdir(std::string(1, d.letter) + ":\\Program\\quorvel", d.folderAttributes);
    }
    void setIni(const std::string& value, unsigned attributes = AttrArchive) {
        fs.put(path("USBLockDrive.ini"), "[LockUSBDrive]\r\nDriveLetter=" + value + "\r\n", attributes);
    }
    // In the selection dialog, picks row `row` (0: none chosen, Cancel).
    void pickInDialog(int row) {
        forms.scripts["frmSelectUSBLock"] = [this, row](Form& form) {
            form.timer("Timer1");
            if (row == 0) {
                form.click("cmdCancel");
                return;
            }
            forms.viewOf(form).listViews["ListView1"].selected = row;
            form.click("cmdOk");
        };
    }
};

}  // namespace

TEST(FindUSBLockDrive, Precedence) {
    constexpr unsigned R = Drives::Removable, Fx = Drives::Fixed;
    struct Case {
        const char* name;
        std::optional<std::string> ini;
        std::vector<Drive> drives;
        std::string result;
        unsigned iniAttributes = AttrArchive;
    } cases[] = {
        {"no ini: highest letter wins", {}, {{'F', R}, {'H', R}}, "H"},
        {"ini drive beats a higher one, even when fixed", "E:", {{'E', Fx}, {'H', R}}, "E"},
        {"ini drive need not be a lock drive type", "E:", {{'E', Drives::CdRom}}, "E"},
        {"ini letter comes back as written", "e:", {{'E', R}, {'H', R}}, "e"},
        {"ini drive without key folder: scan decides", "E:", {{'E', R, true, false}, {'H', R}}, "H"},
        {"ini value without colon: scan decides", "E", {{'E', R}, {'F', R}}, "F"},
        {"ini names a drive that is not there", "Q:", {{'F', R}}, "F"},
        {"blank ini value", "  ", {{'F', R}}, "F"},
        {"hidden ini file is read", "E:", {{'E', R}, {'H', R}}, "E", AttrArchive | AttrHidden},
        {"system ini file is not seen", "E:", {{'E', R}, {'H', R}}, "H", AttrArchive | AttrSystem},
        {"drive not ready is skipped", {}, {{'F', R}, {'H', R, false}}, "F"},
        {"fixed drive D qualifies", {}, {{'D', Fx}}, "D"},
        {"cd-rom and network drives do not", {}, {{'G', Drives::CdRom}, {'K', Drives::Remote}}, ""},
        {"drives A to C are never scanned", {}, {{'C', Fx}, {'B', R}}, ""},
        {"Z is scanned", {}, {{'Y', R}, {'Z', R}}, "Z"},
        {"hidden key folder counts", {}, {{'F', R, true, true, AttrDirectory | AttrHidden}}, "F"},
        {"system key folder does not", {}, {{'F', R, true, true, AttrDirectory | AttrSystem}}, ""},
        {"no drive at all", {}, {}, ""},
    };
    for (const Case& c : cases) {
        World w;
        w.usbSerial.setDevices(kOneKey);
        for (const Drive& d : c.drives) w.addDrive(d);
        if (c.ini) w.setIni(*c.ini, c.iniAttributes);
        EXPECT_EQ(FindUSBLockDrive(w.ctx), c.result) << c.name;
        EXPECT_EQ(w.ctx.globals().selectedUSBKeyId, "09511642001372") << c.name;
        EXPECT_TRUE(w.forms.shown.empty()) << c.name;
        EXPECT_TRUE(w.messages.shown.empty()) << c.name;
    }
}

TEST(FindUSBLockDrive, DeviceChoice) {
    struct Case {
        const char* name;
        Devices devices;
        bool driveQualifies;
        int dialogRow;   // row picked in the dialog, 0 for Cancel
        std::string result, selected;
        bool dialogShown;
    } cases[] = {
        {"one complete device", {{"0951", "1642", "001372"}}, true, 0, "F", "09511642001372", false},
        {"one device, blanks kept in the id", {{"0951 ", "1642", "001372"}}, true, 0, "F", "0951 1642001372", false},
        {"one device without serial", {{"0951", "1642", ""}}, true, 0, "", "", false},
        {"one device with a blank vendor id", {{" ", "1642", "001372"}}, true, 0, "", "", false},
        {"one device, no drive", kOneKey, false, 0, "", "09511642001372", false},
        {"two devices, cancel", kTwo, true, 0, "", "", true},
        {"two devices, second chosen", kTwo, true, 2, "F", "0781556700AB", true},
        {"two devices, chosen, no drive", kTwo, false, 1, "", "09511642001372", true},
    };
    for (const Case& c : cases) {
        World w;
        w.usbSerial.setDevices(c.devices);
        if (c.driveQualifies) w.addDrive({'F', Drives::Removable});
        w.pickInDialog(c.dialogRow);
        w.ctx.globals().selectedUSBKeyId = "stale";
        EXPECT_EQ(FindUSBLockDrive(w.ctx), c.result) << c.name;
        EXPECT_EQ(w.ctx.globals().selectedUSBKeyId, c.selected) << c.name;
        EXPECT_EQ(w.forms.shown.size(), c.dialogShown ? 1u : 0u) << c.name;
        if (c.dialogShown) {
            EXPECT_EQ(w.forms.shown[0], "frmSelectUSBLock modal");
        }
    }
}

TEST(FindUSBLockDrive, NoDevicesGiveTheEmptyResultAndTheirMessage) {
    struct Case {
        const char* name;
        std::int16_t status;
        std::string text;
        std::int16_t count;
        size_t messages;
    } cases[] = {
        {"failed status", 4, "", 0, 1},
        {"no device text", 1, "", 0, 1},
        {"count but no whole record", 1, "<vid>0951</vid>", 1, 0},
        {"records but a count of 0", 1, "<vid>1</vid><pid>2</pid><serial>3</serial></device>", 0, 0},
    };
    for (const Case& c : cases) {
        World w;
        w.addDrive({'F', Drives::Removable});
        w.usbSerial.status = c.status;
        w.usbSerial.text = c.text;
        w.usbSerial.count = c.count;
        w.ctx.globals().selectedUSBKeyId = "stale";
        EXPECT_EQ(FindUSBLockDrive(w.ctx), "") << c.name;
        EXPECT_EQ(w.ctx.globals().selectedUSBKeyId, "") << c.name;
        EXPECT_EQ(w.messages.shown.size(), c.messages) << c.name;
        EXPECT_TRUE(w.forms.shown.empty()) << c.name;
    }
}

TEST(FindUSBLockDrive, DriveTests) {
    World w;
    w.addDrive({'E', Drives::Removable});
    w.addDrive({'F', Drives::Fixed, false});
    w.addDrive({'G', Drives::RamDisk});
    EXPECT_TRUE(IsLockDriveType(w.ctx, "E"));
    EXPECT_TRUE(IsLockDriveType(w.ctx, "f"));
    EXPECT_FALSE(IsLockDriveType(w.ctx, "G"));
    EXPECT_FALSE(IsLockDriveType(w.ctx, ""));
    EXPECT_FALSE(IsLockDriveType(w.ctx, "E:"));
    EXPECT_TRUE(IsDriveReady(w.ctx, "e"));
    EXPECT_FALSE(IsDriveReady(w.ctx, "F"));
    EXPECT_FALSE(IsDriveReady(w.ctx, "Q"));
    EXPECT_FALSE(IsDriveReady(w.ctx, "E:"));
    EXPECT_FALSE(IsDriveReady(w.ctx, ""));
}

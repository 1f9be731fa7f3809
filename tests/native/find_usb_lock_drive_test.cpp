#include <gtest/gtest.h>

#include "fakes.h"
#include "usbkey/find_usb_lock_drive.h"

using namespace qv;
using namespace qv::test;

namespace {

struct Drive {
    char letter;
    unsigned type;
    bool ready = true, keyFolder = true;
    unsigned folderAttributes = AttrDirectory;
};
using Devices = std::vector<std::vector<std::string>>;
const Devices kOneKey{{"0951", "1642", "001372"}};
const Devices kTwo{{"0951", "1642", "001372", "Maker", "Stick"}, {"0781", "5567", "00AB"}};
constexpr unsigned R = Drives::Removable, Fx = Drives::Fixed;

struct World : FakeWorld {
    explicit World(const std::vector<Drive>& drives) {
        for (const Drive& d : drives) {
            this->drives.types[d.letter] = d.type;
            if (!d.ready) this->drives.notReady.insert(d.letter);
            fs.mkdir(std::string(1, d.letter) + ":\\");
            if (d.keyFolder) fs.mkdir(std::string(1, d.letter) + ":\\Program\\quorvel", d.folderAttributes);
        }
        ctx.globals().selectedUSBKeyId = "stale";
    }
};

}  // namespace

TEST(FindUSBLockDrive, Precedence) {
    struct Case { const char* name; std::optional<std::string> ini; std::vector<Drive> drives; std::string result;
                  unsigned iniAttributes = AttrArchive; } cases[] = {
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
        World w(c.drives);
        w.usbSerial.setDevices(kOneKey);
        if (c.ini) w.fs.put(w.path("USBLockDrive.ini"), "[LockUSBDrive]\r\nDriveLetter=" + *c.ini + "\r\n", c.iniAttributes);
        EXPECT_EQ(FindUSBLockDrive(w.ctx), c.result) << c.name;
        EXPECT_EQ(w.ctx.globals().selectedUSBKeyId, "09511642001372") << c.name;
        EXPECT_TRUE(w.forms.shown.empty() && w.messages.shown.empty()) << c.name;
    }
}

TEST(FindUSBLockDrive, DeviceChoice) {
    // dialogRow: the row picked in the dialog, 0 for Cancel.
    struct Case { const char* name; Devices devices; bool driveQualifies; int dialogRow; std::string result, selected;
                  bool dialogShown; } cases[] = {
        {"one complete device", kOneKey, true, 0, "F", "09511642001372", false},
        {"one device, blanks kept in the id", {{"0951 ", "1642", "001372"}}, true, 0, "F", "0951 1642001372", false},
        {"one device without serial", {{"0951", "1642", ""}}, true, 0, "", "", false},
        {"one device with a blank vendor id", {{" ", "1642", "001372"}}, true, 0, "", "", false},
        {"one device, no drive", kOneKey, false, 0, "", "09511642001372", false},
        {"two devices, cancel", kTwo, true, 0, "", "", true},
        {"two devices, second chosen", kTwo, true, 2, "F", "0781556700AB", true},
        {"two devices, chosen, no drive", kTwo, false, 1, "", "09511642001372", true},
    };
    for (const Case& c : cases) {
        World w(c.driveQualifies ? std::vector<Drive>{{'F', R}} : std::vector<Drive>{});
        w.usbSerial.setDevices(c.devices);
        w.forms.scripts["frmSelectUSBLock"] = [&w, row = c.dialogRow](Form& form) {
            form.timer("Timer1");
            w.forms.viewOf(form).listViews["ListView1"].selected = row;
            form.click(row ? "cmdOk" : "cmdCancel");
        };
        EXPECT_EQ(FindUSBLockDrive(w.ctx), c.result) << c.name;
        EXPECT_EQ(w.ctx.globals().selectedUSBKeyId, c.selected) << c.name;
        EXPECT_EQ(w.forms.shown.size(), c.dialogShown ? 1u : 0u) << c.name;
    }
}

TEST(FindUSBLockDrive, NoDevicesGiveTheEmptyResultAndTheirMessage) {
    const std::tuple<std::int16_t, std::string, std::int16_t, size_t> cases[] = {
        {4, "", 0, 1},   // failed status
        {1, "", 0, 1},   // no device text
        {1, "<vid>0951</vid>", 1, 0},   // count but no whole record
        {1, "<vid>1</vid><pid>2</pid><serial>3</serial></device>", 0, 0},   // records but a count of 0
    };
    for (auto& [status, text, count, messages] : cases) {
        World w({{'F', R}});
        w.usbSerial.status = status;
        w.usbSerial.text = text;
        w.usbSerial.count = count;
        EXPECT_EQ(FindUSBLockDrive(w.ctx) + w.ctx.globals().selectedUSBKeyId, "") << text;
        EXPECT_EQ(w.messages.shown.size(), messages) << text;
        EXPECT_TRUE(w.forms.shown.empty()) << text;
    }
}

TEST(FindUSBLockDrive, DriveTests) {
    World w({{'E', R}, {'F', Fx, false}, {'G', Drives::RamDisk}});
    const std::tuple<const char*, bool, bool> cases[] = {   // drive, lock drive type, ready
        {"E", true, true}, {"e", true, true}, {"f", true, false}, {"G", false, true},
        {"Q", false, false}, {"", false, false}, {"E:", false, false}};
    for (auto [drive, lockType, ready] : cases) {
        EXPECT_EQ(IsLockDriveType(w.ctx, drive), lockType) << drive;
        EXPECT_EQ(IsDriveReady(w.ctx, drive), ready) << drive;
    }
}

// Finding the key: the drive that carries the program, and the device chosen among several.
#include <gtest/gtest.h>

#include "fakes.h"
#include "usbkey/find_usb_lock_drive.h"
#include "usbkey/select_usb_lock_form.h"

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
using Cells = std::vector<std::string>;
const Devices kOneKey{{"0951", "1642", "001372"}};
const Devices kThree{{"0951", "1642", "001372", "Maker A", "Stick A"},
                     {"058F", "6387", "", "Maker B", "Stick B"},
                     {"0781", "5567", "00AB", "Maker C", "Stick C"}};
constexpr unsigned R = Drives::Removable, Fx = Drives::Fixed;

struct World : FakeWorld {
    explicit World(const std::vector<Drive>& drives, const Devices& devices = kOneKey) {
        for (const Drive& d : drives) {
            this->drives.types[d.letter] = d.type;
            if (!d.ready) this->drives.notReady.insert(d.letter);
            fs.mkdir(std::string(1, d.letter) + ":\\");
            if (d.keyFolder) fs.mkdir(std::string(1, d.letter) + ":\\Program\\quorvel", d.folderAttributes);
        }
        usbSerial.setDevices(devices);
        ctx.globals().selectedUSBKeyId = "stale";
    }
    // Runs the search; `script` acts in the selection dialog once it has listed the devices.
    std::string find(std::function<void(Form&, FakeView&, FakeListView&)> script) {
        forms.scripts["frmSelectUSBLock"] = [&](Form& f) {
            f.timer("Timer1");
            script(f, forms.viewOf(f), forms.viewOf(f).listViews["ListView1"]);
        };
        return FindUSBLockDrive(ctx);
    }
};

}  // namespace

TEST(FindUSBLockDrive, Precedence) {
    struct Case { const char* name; std::optional<std::string> ini; std::vector<Drive> drives; std::string result;
                  unsigned iniAttributes = AttrArchive; } cases[] = {
        {"no ini: highest letter wins", {}, {{'F', R}, {'H', R}}, "H"},
        {"ini drive beats a higher one, of any type", "e:", {{'E', Drives::CdRom}, {'H', R}}, "e"},
        {"ini drive without key folder: scan decides", "E:", {{'E', R, true, false}, {'H', R}}, "H"},
        {"ini value without colon: scan decides", "E", {{'E', R}, {'F', R}}, "F"},
        {"blank ini value", "  ", {{'F', R}}, "F"},
        {"hidden ini file is read", "E:", {{'E', R}, {'H', R}}, "E", AttrArchive | AttrHidden},
        {"system ini file is not seen", "E:", {{'E', R}, {'H', R}}, "H", AttrArchive | AttrSystem},
        {"drive not ready is skipped", {}, {{'F', R}, {'H', R, false}}, "F"},
        {"fixed drives D and Z qualify", {}, {{'D', Fx}, {'Z', Fx}}, "Z"},
        {"cd-rom, network and A to C do not", {}, {{'G', Drives::CdRom}, {'K', Drives::Remote}, {'C', Fx}}, ""},
        {"hidden key folder counts", {}, {{'F', R, true, true, AttrDirectory | AttrHidden}}, "F"},
        {"system key folder does not", {}, {{'F', R, true, true, AttrDirectory | AttrSystem}}, ""},
    };
    for (const Case& c : cases) {
        World w(c.drives);
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
        {"one device, blanks kept in the id", {{"0951 ", "1642", "001372"}}, true, 0, "F", "0951 1642001372", false},
        {"one device without serial", {{"0951", "1642", ""}}, true, 0, "", "", false},
        {"one device with a blank vendor id", {{" ", "1642", "001372"}}, true, 0, "", "", false},
        {"one device, no drive", kOneKey, false, 0, "", "09511642001372", false},
        {"several, cancel", kThree, true, 0, "", "", true},
        {"several, complete ones listed first", kThree, true, 2, "F", "0781556700AB", true},
        {"two, chosen, no drive", {kThree[0], kThree[2]}, false, 1, "", "09511642001372", true},
    };
    for (const Case& c : cases) {
        World w(c.driveQualifies ? std::vector<Drive>{{'F', R}} : std::vector<Drive>{}, c.devices);
        EXPECT_EQ(w.find([&c](Form& f, FakeView&, FakeListView& list) {
            list.selected = c.dialogRow;
            f.click(c.dialogRow ? "cmdOk" : "cmdCancel");
        }), c.result) << c.name;
        EXPECT_EQ(w.ctx.globals().selectedUSBKeyId, c.selected) << c.name;
        EXPECT_EQ(w.forms.shown.size(), c.dialogShown ? 1u : 0u) << c.name;
    }
}

TEST(FindUSBLockDrive, ACountWithoutAWholeRecordFindsNothing) {
    World w({{'F', R}});
    w.usbSerial.text = "<vid>0951</vid>";   // counted as one device
    EXPECT_EQ(FindUSBLockDrive(w.ctx) + w.ctx.globals().selectedUSBKeyId, "");
    EXPECT_TRUE(w.forms.shown.empty() && w.messages.shown.empty());
}

TEST(FindUSBLockDrive, DriveTests) {
    World w({{'E', R}, {'F', Fx, false}, {'G', Drives::RamDisk}});
    const std::tuple<const char*, bool, bool> cases[] = {   // drive, lock drive type, ready
        {"e", true, true}, {"f", true, false}, {"G", false, true}, {"Q", false, false}, {"", false, false},
        {"E:", false, false}};
    for (auto [drive, lockType, ready] : cases) {
        EXPECT_EQ(IsLockDriveType(w.ctx, drive), lockType) << drive;
        EXPECT_EQ(IsDriveReady(w.ctx, drive), ready) << drive;
    }
}

TEST(SelectUsbLock, ListsCompleteDevicesFirstInHiddenColumnsLinkedToTheList) {
    World w({}, kThree);
    w.loadStrings({{564, "Choose"}}, {{534, "Serial"}});
    w.desktop.busy = true;
    w.find([&w](Form&, FakeView& v, FakeListView& list) {
        EXPECT_FALSE(v.timerEnabled("Timer1") || w.desktop.busy);
        EXPECT_EQ(v.caption("lbDesc") + "|" + v.caption("cmdOk"), "Choose|OK");   // built in where the library has none
        EXPECT_EQ(v.c("lbDesc").fontSize, 8);
        ASSERT_EQ(list.columns.size(), 7u);
        for (std::size_t i = 0; i < 7; ++i) EXPECT_EQ(list.columns[i].width == 0, i >= 4) << i;
        EXPECT_EQ(list.columns[1].header, "Serial");
        const std::pair<int, Cells> rows[] = {
            {SelectUsbLockForm::kIconComplete, {"", "001372/0951/1642", "Maker A", "Stick A", "", "", "1"}},
            {SelectUsbLockForm::kIconComplete, {"", "00AB/0781/5567", "Maker C", "Stick C", "", "", "3"}},
            {SelectUsbLockForm::kIconIncomplete, {"", "", "Maker B", "Stick B", "", "", "2"}}};
        ASSERT_EQ(list.rows.size(), 3u);
        for (int i = 0; i < 3; ++i) EXPECT_EQ(std::pair(list.rows[i].icon, list.rows[i].cells), rows[i]) << i;
    });
}

TEST(SelectUsbLock, OkChecksAndDamagedRowLinks) {
    // link: replaces the list with one row of this link when set.
    struct Case { const char* name; std::string link; int row; int answer; std::string box; bool open; std::string selected; };
    const std::string sure = FakeMessageBoxes::box("T300", "Sure?", MbYesNo | MbIconExclamation);
    const Case cases[] = {
        {"no row selected", "", 0, 0, FakeMessageBoxes::box("T300", "Nothing selected", MbIconExclamation), true, ""},
        {"incomplete device", "", 3, 0, FakeMessageBoxes::box("T300", "No serial", MbIconCritical), true, ""},
        {"confirmation refused", "", 2, IdNo, sure, true, ""},
        {"confirmed", "", 2, IdYes, sure, false, "0781556700AB"},
        {"link not a number", "-1", 1, 0, FakeMessageBoxes::box("T301", "Bad row", MbIconCritical), true, ""},
        {"link beyond the list", "9", 1, IdYes, sure, false, ""},
        {"link too big", "99999999999", 1, IdYes, FakeMessageBoxes::box("Error - frmSelectUSB.OK", "Error: Overflow",
                                                                        MbIconCritical), true, ""},
    };
    for (const Case& c : cases) {
        World w({}, kThree);
        w.loadStrings({{566, "Sure?"}}, {{541, "Nothing selected"}, {542, "No serial"}, {545, "Bad row"},
                                         {300, "T300"}, {301, "T301"}});
        w.messages.answers = {c.answer};
        bool open = false;
        w.find([&](Form& f, FakeView& v, FakeListView& list) {
            if (!c.link.empty()) list.rows = {{1, Cells{"", "S/V/P", "", "", "", "", c.link}}};
            list.selected = c.row;
            f.click("cmdOk");
            open = v.isOpen();
        });
        ASSERT_FALSE(w.messages.shown.empty()) << c.name;
        EXPECT_EQ(w.messages.boxes().back(), c.box) << c.name;
        EXPECT_EQ(open, c.open) << c.name;
        EXPECT_EQ(w.ctx.globals().selectedUSBKeyId, c.selected) << c.name;
    }
}

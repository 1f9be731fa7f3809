// Finding the key: the drive that carries the program, and the device chosen among several.
#include <gtest/gtest.h>

#include "fakes.h"
#include "usbkey/find_usb_lock_drive.h"
#include "usbkey/select_usb_lock_form.h"

using namespace qv;
using namespace qv::test;

namespace {

struct Drive { char letter; unsigned type; bool ready = true, keyFolder = true; unsigned folderAttrs = AttrDirectory; };
using Devices = std::vector<std::vector<std::string>>;
using Cells = std::vector<std::string>;
const Devices kThree{{"0951", "1642", "001372", "Maker A", "Stick A"}, {"058F", "6387", "", "Maker B", "Stick B"},
                     {"0781", "5567", "00AB", "Maker C", "Stick C"}};
constexpr unsigned R = Drives::Removable, Fx = Drives::Fixed;

struct World : FakeWorld {
    explicit World(const std::vector<Drive>& drives, const Devices& devices = {{"0951", "1642", "001372"}}) {
        for (const Drive& d : drives) {
            this->drives.types[d.letter] = d.type;
            if (!d.ready) this->drives.notReady.insert(d.letter);
            fs.mkdir(std::string(1, d.letter) + ":\\");
            if (d.keyFolder) fs.mkdir(std::string(1, d.letter) + ":\\Program\\quorvel", d.folderAttrs);
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

// The drive: the one the ini names, else the highest that qualifies. The device: one complete
// device is the key; among several, the user chooses in the dialog (row 0: Cancel).
TEST(FindUSBLockDrive, DriveAndDevice) {
    struct Case { std::optional<std::string> ini; std::vector<Drive> drives; std::string result;
                  unsigned iniAttrs = AttrArchive; Devices devices = {{"0951", "1642", "001372"}}; int row = 0;
                  std::string selected = "09511642001372"; } cases[] = {
        {{}, {{'D', Fx}, {'F', R}, {'Z', Fx}}, "Z"},                      // the highest letter wins
        {"e:", {{'E', Drives::CdRom}, {'H', R}}, "e"},                    // the ini's drive, of any type
        {"E:", {{'E', R, true, false}, {'H', R}}, "H"},                   // without the key folder
        {"E", {{'E', R}, {'F', R}}, "F"},                                 // "E\" names no drive root
        {"E:", {{'E', R}, {'H', R}}, "H", AttrArchive | AttrSystem},     // not seen
        {{}, {{'F', R}, {'H', R, false}}, "F"},                           // not ready
        {{}, {{'G', Drives::CdRom}, {'K', Drives::Remote}, {'C', Fx}}, ""},   // never scanned: A to C
        {{}, {{'F', R, true, true, AttrDirectory | AttrHidden}, {'G', R, true, true, AttrDirectory | AttrSystem}}, "F"},
        {{}, {{'F', R}}, "F", AttrArchive, {{"0951 ", "1642", "001372"}}, 0, "0951 1642001372"},   // blanks kept
        {{}, {{'F', R}}, "", AttrArchive, {{"0951", "1642", ""}}, 0, ""},
        {{}, {{'F', R}}, "", AttrArchive, kThree, 0, ""},
        {{}, {{'F', R}}, "F", AttrArchive, kThree, 2, "0781556700AB"},   // complete devices listed first
        {{}, {}, "", AttrArchive, {kThree[0], kThree[2]}, 1, "09511642001372"},
    };
    for (const Case& c : cases) {
        World w(c.drives, c.devices);
        if (c.ini) w.fs.put(w.path(kUsbLockDriveIni), "[LockUSBDrive]\r\nDriveLetter=" + *c.ini + "\r\n", c.iniAttrs);
        EXPECT_EQ(w.find([&c](Form& f, FakeView& v, FakeListView& list) {
            list.selected = c.row;
            f.click(c.row ? "cmdOk" : "cmdCancel");
            EXPECT_FALSE(v.isOpen());
        }), c.result) << &c - cases;
        EXPECT_EQ(w.ctx.globals().selectedUSBKeyId, c.selected) << &c - cases;
        EXPECT_EQ(w.forms.shown, c.devices.size() > 1 ? Log{"frmSelectUSBLock modal"} : Log{}) << &c - cases;
        EXPECT_EQ(w.messages.shown.size(), c.row ? 1u : 0u) << &c - cases;   // only the question
    }
}

// The list: complete devices first, in hidden columns linked to the device list; then what OK
// checks (link: replaces the list with one row of this link when set).
TEST(SelectUsbLock, ListAndTheChecksOnOk) {
    // The last message, whether the dialog stays open, and the key chosen.
    struct Case { std::string link; int row, answer; std::string outcome; } cases[] = {
        {"", 0, 0, "T300|Nothing selected|48 open "},
        {"", 3, 0, "T300|No serial|16 open "},   // an incomplete device
        {"", 2, IdNo, "T300|Sure?|52 open "},
        {"", 2, IdYes, "T300|Sure?|52 closed 0781556700AB"},
        {"-1", 1, 0, "T301|Bad row|16 open "},
        {"9", 1, IdYes, "T300|Sure?|52 closed "},   // beyond the list
        {"99999999999", 1, IdYes, "Error - frmSelectUSB.OK|Error: Overflow|16 open "},
    };
    for (const Case& c : cases) {
        World w({}, kThree);
        w.loadStrings({{564, "Choose"}, {566, "Sure?"}},
                      {{534, "Serial"}, {541, "Nothing selected"}, {542, "No serial"}, {545, "Bad row"}, {300, "T300"},
                       {301, "T301"}});
        w.messages.answers = {c.answer};
        w.desktop.busy = true;
        std::string open;
        w.find([&](Form& f, FakeView& v, FakeListView& list) {
            EXPECT_FALSE(v.timerEnabled("Timer1") || w.desktop.busy);
            EXPECT_EQ(v.caption("lbDesc") + "|" + v.caption("cmdOk") + "|" + std::to_string(v.c("lbDesc").fontSize),
                      "Choose|OK|8");   // built in where the library has none
            EXPECT_EQ(list.columns.size() > 1 ? list.columns[1].header : "", "Serial");
            const std::pair<int, Cells> rows[] = {
                {SelectUsbLockForm::kIconComplete, {"", "001372/0951/1642", "Maker A", "Stick A", "", "", "1"}},
                {SelectUsbLockForm::kIconComplete, {"", "00AB/0781/5567", "Maker C", "Stick C", "", "", "3"}},
                {SelectUsbLockForm::kIconIncomplete, {"", "", "Maker B", "Stick B", "", "", "2"}}};
            ASSERT_EQ(list.rows.size(), 3u);
            for (int i = 0; i < 3; ++i) EXPECT_EQ(std::pair(list.rows[i].icon, list.rows[i].cells), rows[i]) << i;
            if (!c.link.empty()) list.rows = {{1, Cells{"", "S/V/P", "", "", "", "", c.link}}};
            list.selected = c.row;
            f.click("cmdOk");
            open = v.isOpen() ? " open " : " closed ";
        });
        const std::string last = w.messages.boxes().empty() ? "" : w.messages.boxes().back();
        EXPECT_EQ(last + open + w.ctx.globals().selectedUSBKeyId, c.outcome);
    }
}

// The device list: from Windows' device tree and instance ids to the device text, and from the
// text to the key's presence.
#include <gtest/gtest.h>

#include "fakes.h"
#include "usbkey/usb_devices.h"
#include "usbkey/usb_instance_id.h"
#include "usbkey/usb_storage_walk.h"

using namespace qv;
using namespace qv::test;

namespace {

std::string Record(const std::string& vid, const std::string& pid, const std::string& serial) {
    return "<vid>" + vid + "</vid><pid>" + pid + "</pid><serial>" + serial + "</serial></device>";
}

// A device: the row of its parent (row 0 is the root hub), its instance id, whether Windows
// took that id from a serial of the device's own; for a disk, whether it holds a medium.
struct Row { std::size_t parent; std::string id; std::optional<bool> unique; bool disk = false, medium = true; };

struct FakeTree : DeviceTree {
    std::vector<Row> rows;
    std::vector<Node> disks() override {
        std::vector<Node> out;
        for (Node n = 0; n < rows.size(); ++n)
            if (rows[n].disk) out.push_back(n);
        return out;
    }
    std::optional<Node> parent(Node n) override { return n ? std::optional<Node>(rows.at(n).parent) : std::nullopt; }
    std::string instanceId(Node n) override { return rows.at(n).id; }
    std::optional<bool> hasUniqueId(Node n) override { return rows.at(n).unique; }
    bool hasMedium(Node disk) override { return rows.at(disk).medium; }
    std::string manufacturer(Node device) override { return "Maker" + std::to_string(device); }
    std::string friendlyName(Node disk) override { return "Disk" + std::to_string(disk); }
};

}  // namespace

TEST(UsbInstanceId, RealWorldIds) {
    const std::pair<const char*, const char*> ids[] = {   // id, vid|pid|serial|interface or nothing
        {"usb\\vid_abcd&pid_12ef\\aa11", "ABCD|12EF|aa11|0"}, {"USB\\VID_0951&PID_1642\\1\\2", ""},
        {"USB\\VID_058F&PID_6387\\5&2A1B3C4F&0&2", "058F|6387||0"},   // made up by Windows
        {"USB\\VID_0951&PID_1642\\AB&CD01", "0951|1642|AB&CD01|0"}, {"USB\\VID_09G1&PID_1642\\001372", ""},
        {"USB\\VID_0951&PID_1642\\7&Q1&0", "0951|1642|7&Q1&0|0"},   // a serial, though it looks made up
        {"USB\\VID_05AC&PID_12A8&MI_00\\6&1A2B3C&0&0000", "05AC|12A8||1"}, {"USB\\ROOT_HUB30\\4&1234ABCD&0&0", ""}};
    for (auto [text, parsed] : ids) {
        auto id = ParseUsbInstanceId(text);
        EXPECT_EQ(id ? id->vendorId + "|" + id->productId + "|" + id->serial + "|" + (id->isInterface ? "1" : "0") : "",
                  parsed) << text;
    }
    // A name keeps its spaces and loses its control characters.
    EXPECT_EQ(FormatUsbDeviceRecord({"0951", "1642", "1", "Key\x01 Media", ""}),
              "<vid>0951</vid><pid>1642</pid><serial>1</serial><manu>Key Media</manu><prod></prod></device>");
}

// The USB serial library's walk from disks to USB devices. Behind a hub: a stick whose id
// cannot be read (never the hub's ids instead), a stick, a device without a serial; a composite
// device; a card reader with a card in its second and third slots, its serial holding "&";
// names from the disk, or the device's and the disk's own.
TEST(UsbStorageWalk, DeviceTreeOfRealHardware) {
    const char* const stick = "USBSTOR\\Disk&Ven_Kingsley&Prod_Data_Stick&Rev_1.00\\001372&0";
    const std::string reader = "USBSTOR\\Disk&Ven_Generic&Prod_";   // its slots
    FakeTree tree;
    tree.rows = {{0, "USB\\ROOT_HUB30\\4&1234ABCD&0&0", {}}, {0, "USB\\VID_05E3&PID_0608\\5&1F2E3D4C&0&1", false},
                 {1, "USB\\VID_0951&PID_16\\001373", true}, {2, stick, {}, true},
                 {1, "USB\\VID_0951&PID_1642\\001372", true}, {4, stick, {}, true},
                 {1, "USB\\VID_058F&PID_6387\\5&2A1B3C4D&0&2", false},
                 {6, "USBSTOR\\Disk&Ven_Generic&Prod_Flash_Disk&Rev_8.07\\6&3B2C1D&0", {}, true},
                 {0, "USB\\VID_05AC&PID_12A8\\A1B2C3", true}, {8, "USB\\VID_05AC&PID_12A8&MI_01\\6&1A2B&0&0001", false},
                 {9, "USBSTOR\\Disk&Ven_&Prod_&Rev_1\\A1B2C3&0", {}, true}, {0, "USB\\VID_0BDA&PID_0129\\7&Q1&0", true},
                 {11, reader + "SD&Rev_1.00\\2010&0", {}, true, false}, {11, reader + "MS&Rev_1.00\\2010&1", {}, true},
                 {11, reader + "SD&Rev_1.00\\2010&2", {}, true}};
    Log records;
    for (const UsbDeviceRecord& r : CollectUsbStorageRecords(tree))
        records.push_back(r.vendorId + "|" + r.productId + "|" + r.serial + "|" + r.manufacturer + "|" + r.product);
    EXPECT_EQ(records, (Log{"0951|1642|001372|Kingsley|Data Stick", "058F|6387||Generic|Flash Disk",
                            "05AC|12A8|A1B2C3|Maker8|Disk10", "0BDA|0129|7&Q1&0|Generic|MS"}));
}

// What the library answers (status 0: it does not load); what a refresh returns, keeps and shows
// (a quiet one nothing); whether the key `wanted` is then present, absent, or neither. The
// library mends names that would break the tags, so no stick's name can pass for the key.
TEST(UsbDevices, RefreshAndTheKeysPresence) {
    const std::string key = Record("0951", "1642", "001372"), keyId = "09511642001372";
    struct Case { std::int16_t status; std::string text; std::int16_t count; std::optional<std::int16_t> length;
                  std::string wanted; std::int16_t result; int devices; bool present, absent; std::string message; };
    const Case cases[] = {
        {1, key, 3, {}, keyId, 3, 1, true, false, ""},   // the library's count is passed on
        {1, Record(" 0951", "1642", "001372 "), 1, {}, "  " + keyId + " ", 1, 1, true, false, ""},   // blanks
        {1, Record("0951", "1642", "1") + Record("0781", "5567", "00AB"), 2, {}, "0781556700AB", 2, 2, true, false, ""},
        {1, Record("0951", "1642", "00AB"), 1, {}, "0951164200ab", 1, 1, false, true, ""},
        {1, Record("0951", "1642", "  "), 1, {}, "09511642", 1, 1, false, true, ""},   // without serial, never
        {1, FormatUsbDeviceRecord({"0781", "5567", "1", "</device>" + key, ""}), 1, {}, keyId, 1, 1, false, true, ""},
        {1, key, 1, {}, "   ", 1, 1, false, false, ""},
        {5, key, 1, {}, keyId, -1, 0, false, true, "Get USB Serial error code : 5"},
        {0, key, 1, {}, keyId, -1, 0, false, true, kUsbLibraryMissingText},
        {1, key, 1, std::int16_t{-20}, keyId, -2, 0, false, true, "No USB storage device found."},
        {1, key, 1, std::int16_t{32000}, keyId, 1, 1, true, false, ""},   // clamped to the buffer
        {1, key + key, 2, std::int16_t(key.size() + 5), keyId, 2, 1, true, false, ""},
    };
    for (const Case& c : cases) {
        FakeWorld w;
        w.loadStrings({{539, "No USB storage device found."}});
        std::tie(w.usbSerial.text, w.usbSerial.status, w.usbSerial.count, w.usbSerial.reportedLength) =
            std::tie(c.text, c.status, c.count, c.length);
        w.usbSerial.loadable = c.status != 0;
        EXPECT_EQ(std::pair(IsUSBKeyPresent(w.ctx, c.wanted), IsUSBKeyAbsent(w.ctx, c.wanted)),
                  std::pair(c.present, c.absent)) << &c - cases;
        EXPECT_EQ(ReadUSBDevices(w.ctx), c.result) << &c - cases;
        // The list read again, not added to; only the loud refresh shows a message.
        EXPECT_EQ(CheckUSBDevices(w.ctx), c.result > 0) << &c - cases;
        EXPECT_EQ(w.ctx.globals().usbDevices.upperBound(), c.devices) << &c - cases;
        EXPECT_EQ(w.messages.boxes(), c.message.empty() ? Log{} : Log{"Quorvel|" + c.message + "|16"}) << &c - cases;
    }
}

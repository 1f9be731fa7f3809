// The USB serial library's walk from disks to USB devices, over a device tree shaped like the
// ones Windows builds for sticks, hubs, composite devices and card readers.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "usbkey/usb_storage_walk.h"

namespace {

// A device: the row of its parent (row 0 is the root hub), its instance id, whether Windows
// took that id from a serial of the device's own; for a disk, whether it holds a medium.
struct Row { std::size_t parent; std::string id; std::optional<bool> unique; bool disk = false, medium = true; };

class FakeTree : public qv::DeviceTree {
public:
    explicit FakeTree(std::vector<Row> rows) : rows_(std::move(rows)) {}
    std::vector<Node> disks() override {
        std::vector<Node> out;
        for (Node n = 0; n < rows_.size(); ++n)
            if (rows_[n].disk) out.push_back(n);
        return out;
    }
    std::optional<Node> parent(Node n) override { return n ? std::optional<Node>(rows_.at(n).parent) : std::nullopt; }
    std::string instanceId(Node n) override { return rows_.at(n).id; }
    std::optional<bool> hasUniqueId(Node n) override { return rows_.at(n).unique; }
    bool hasMedium(Node disk) override { return rows_.at(disk).medium; }
    std::string manufacturer(Node device) override { return "Maker" + std::to_string(device); }
    std::string friendlyName(Node disk) override { return "Disk" + std::to_string(disk); }

private:
    std::vector<Row> rows_;
};

const char* const kStick = "USBSTOR\\Disk&Ven_Kingsley&Prod_Data_Stick&Rev_1.00\\001372&0";
const char* const kSlot = "USBSTOR\\Disk&Ven_Generic&Prod_SD&Rev_1.00\\2010&";

}  // namespace

// Behind a hub: a stick whose id cannot be read (never the hub's ids instead), a stick, a
// device without a serial; a composite device; a card reader with a card in its second and
// third slots, its serial holding "&"; names from the disk, or the device's and the disk's own.
TEST(UsbStorageWalk, DeviceTreeOfRealHardware) {
    FakeTree tree({{0, "USB\\ROOT_HUB30\\4&1234ABCD&0&0", {}},
                   {0, "USB\\VID_05E3&PID_0608\\5&1F2E3D4C&0&1", false},
                   {1, "USB\\VID_0951&PID_16\\001373", true}, {2, kStick, {}, true},
                   {1, "USB\\VID_0951&PID_1642\\001372", true}, {4, kStick, {}, true},
                   {1, "USB\\VID_058F&PID_6387\\5&2A1B3C4D&0&2", false},
                   {6, "USBSTOR\\Disk&Ven_Generic&Prod_Flash_Disk&Rev_8.07\\6&3B2C1D&0", {}, true},
                   {0, "USB\\VID_05AC&PID_12A8\\A1B2C3", true},
                   {8, "USB\\VID_05AC&PID_12A8&MI_01\\6&1A2B3C&0&0001", false},
                   {9, "USBSTOR\\Disk&Ven_&Prod_&Rev_0001\\A1B2C3&0", {}, true},
                   {0, "USB\\VID_0BDA&PID_0129\\7&Q1&0", true}, {11, kSlot + std::string("0"), {}, true, false},
                   {11, "USBSTOR\\Disk&Ven_Generic&Prod_MS&Rev_1.00\\2010&1", {}, true},
                   {11, kSlot + std::string("2"), {}, true}});
    std::vector<std::string> records;
    for (const qv::UsbDeviceRecord& r : qv::CollectUsbStorageRecords(tree))
        records.push_back(r.vendorId + "|" + r.productId + "|" + r.serial + "|" + r.manufacturer + "|" + r.product);
    EXPECT_EQ(records, (std::vector<std::string>{"0951|1642|001372|Kingsley|Data Stick",
                                                 "058F|6387||Generic|Flash Disk", "05AC|12A8|A1B2C3|Maker8|Disk10",
                                                 "0BDA|0129|7&Q1&0|Generic|MS"}));
}

// The USB serial library's walk from disks to USB devices, over fake device trees shaped
// like the ones Windows builds for sticks, hubs, composite devices and card readers.
#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

#include "usbkey/usb_storage_walk.h"

namespace {

class FakeTree : public qv::DeviceTree {
public:
    struct Entry {
        std::string id;
        Node parent;
        std::optional<bool> unique;
        bool medium;
    };
    Node add(Node parent, std::string id, std::optional<bool> unique = std::nullopt, bool medium = true) {
        nodes_[nodes_.size() + 1] = {std::move(id), parent, unique, medium};
        return nodes_.size();
    }
    void disk(Node parent, const std::string& id, bool medium = true) { disks_.push_back(add(parent, id, {}, medium)); }
    Node root() { return add(0, "USB\\ROOT_HUB30\\4&1234ABCD&0&0"); }

    std::vector<Node> disks() override { return disks_; }
    std::optional<Node> parent(Node node) override {
        return nodes_.at(node).parent ? std::optional<Node>(nodes_.at(node).parent) : std::nullopt;
    }
    std::string instanceId(Node node) override { return nodes_.at(node).id; }
    std::optional<bool> hasUniqueId(Node node) override { return nodes_.at(node).unique; }
    bool hasMedium(Node disk) override { return nodes_.at(disk).medium; }
    std::string manufacturer(Node device) override { return "Maker" + std::to_string(device); }
    std::string friendlyName(Node disk) override { return "Disk" + std::to_string(disk); }

private:
    std::map<Node, Entry> nodes_;
    std::vector<Node> disks_;
};

const char* const kStick = "USBSTOR\\Disk&Ven_Kingsley&Prod_Data_Stick&Rev_1.00\\001372&0";
const char* const kSlot = "USBSTOR\\Disk&Ven_Generic&Prod_SD&Rev_1.00\\2010&";

}  // namespace

TEST(UsbStorageWalk, DeviceTreesOfRealHardware) {
    struct Case {
        const char* name;
        void (*build)(FakeTree&);
        std::vector<std::string> expected;   // vid|pid|serial|manufacturer|product
    };
    const Case cases[] = {
        {"two sticks behind a hub, one with an id that cannot be read: never the hub's ids",
         [](FakeTree& t) {
             auto hub = t.add(t.root(), "USB\\VID_05E3&PID_0608\\5&1F2E3D4C&0&1", false);
             t.disk(t.add(hub, "USB\\VID_0951&PID_16\\001373", true), kStick);
             t.disk(t.add(hub, "USB\\VID_0951&PID_1642\\001372", true), kStick);
         },
         {"0951|1642|001372|Kingsley|Data Stick"}},
        {"composite device: the parent of the storage interface",
         [](FakeTree& t) {
             auto device = t.add(t.root(), "USB\\VID_05AC&PID_12A8\\A1B2C3", true);
             t.disk(t.add(device, "USB\\VID_05AC&PID_12A8&MI_01\\6&1A2B3C&0&0001", false),
                    "USBSTOR\\Disk&Ven_&Prod_&Rev_0001\\A1B2C3&0");
         },
         {"05AC|12A8|A1B2C3|Maker2|Disk4"}},
        {"reader without a card",
         [](FakeTree& t) {
             auto reader = t.add(t.root(), "USB\\VID_0BDA&PID_0129\\20100201396000000", true);
             for (const char* slot : {"0", "1"}) t.disk(reader, kSlot + std::string(slot), false);
         },
         {}},
        {"reader with a card in its second and third slots, its serial holding \"&\"",
         [](FakeTree& t) {
             auto reader = t.add(t.root(), "USB\\VID_0BDA&PID_0129\\7&Q1&0", true);
             t.disk(reader, kSlot + std::string("0"), false);
             t.disk(reader, "USBSTOR\\Disk&Ven_Generic&Prod_MS&Rev_1.00\\2010&1");
             t.disk(reader, kSlot + std::string("2"));
         },
         {"0BDA|0129|7&Q1&0|Generic|MS"}},
        {"device without a serial",
         [](FakeTree& t) {
             t.disk(t.add(t.root(), "USB\\VID_058F&PID_6387\\5&2A1B3C4D&0&2", false),
                    "USBSTOR\\Disk&Ven_Generic&Prod_Flash_Disk&Rev_8.07\\6&3B2C1D&0");
         },
         {"058F|6387||Generic|Flash Disk"}},
    };
    for (const Case& c : cases) {
        FakeTree tree;
        c.build(tree);
        std::vector<std::string> records;
        for (const qv::UsbDeviceRecord& r : qv::CollectUsbStorageRecords(tree))
            records.push_back(r.vendorId + "|" + r.productId + "|" + r.serial + "|" + r.manufacturer + "|" + r.product);
        EXPECT_EQ(records, c.expected) << c.name;
    }
}

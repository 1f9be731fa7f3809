// The USB serial library's walk from disks to USB devices, over fake device trees shaped
// like the ones Windows builds for sticks, hubs, composite devices and card readers.
#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

#include "usbkey/usb_storage_walk.h"

namespace {

using qv::DeviceTree;

struct FakeNode {
    std::string id;
    DeviceTree::Node parent = 0;   // 0: none
    std::optional<bool> unique;
    bool medium = true;
};

class FakeTree : public DeviceTree {
public:
    // Adds a node under `parent` and returns it.
    Node add(Node parent, std::string id, std::optional<bool> unique = std::nullopt, bool medium = true) {
        Node node = nodes_.size() + 1;
        nodes_[node] = {std::move(id), parent, unique, medium};
        return node;
    }
    Node disk(Node parent, const std::string& id, bool medium = true) {
        Node node = add(parent, id, std::nullopt, medium);
        disks_.push_back(node);
        return node;
    }
    std::vector<Node> disks() override { return disks_; }
    std::optional<Node> parent(Node node) override {
        Node p = nodes_.at(node).parent;
        return p ? std::optional<Node>(p) : std::nullopt;
    }
    std::string instanceId(Node node) override { return nodes_.at(node).id; }
    std::optional<bool> hasUniqueId(Node node) override { return nodes_.at(node).unique; }
    bool hasMedium(Node disk) override { return nodes_.at(disk).medium; }
    std::string manufacturer(Node device) override { return "Maker of " + std::to_string(device); }
    std::string friendlyName(Node disk) override { return "Disk " + std::to_string(disk); }

private:
    std::map<Node, FakeNode> nodes_;
    std::vector<Node> disks_;
};

const char* const kStickDisk = "USBSTOR\\Disk&Ven_Kingsley&Prod_Data_Stick&Rev_1.00\\001372&0";

std::vector<std::string> Walk(FakeTree& tree) {
    std::vector<std::string> out;
    for (const qv::UsbDeviceRecord& r : qv::CollectUsbStorageRecords(tree))
        out.push_back(r.vendorId + "|" + r.productId + "|" + r.serial + "|" + r.manufacturer + "|" + r.product);
    return out;
}

using Records = std::vector<std::string>;

}  // namespace

TEST(UsbStorageWalk, DeviceTreesOfRealHardware) {
    struct Case {
        const char* name;
        void (*build)(FakeTree&);
        Records expected;
    };
    const Case cases[] = {
        {"plain stick",
         [](FakeTree& t) {
             auto root = t.add(0, "USB\\ROOT_HUB30\\4&1234ABCD&0&0");
             t.disk(t.add(root, "USB\\VID_0951&PID_1642\\001372", true), kStickDisk);
         },
         {"0951|1642|001372|Kingsley|Data Stick"}},
        {"stick behind a hub, its own id unreadable: never the hub's ids",
         [](FakeTree& t) {
             auto hub = t.add(t.add(0, "USB\\ROOT_HUB30\\4&1&0"), "USB\\VID_05E3&PID_0608\\5&1F2E3D4C&0&1", false);
             t.disk(t.add(hub, "USB\\VID_0951&PID_16\\001372", true), kStickDisk);
         },
         {}},
        {"stick behind a hub",
         [](FakeTree& t) {
             auto hub = t.add(t.add(0, "USB\\ROOT_HUB30\\4&1&0"), "USB\\VID_05E3&PID_0608\\5&1F2E3D4C&0&1", false);
             t.disk(t.add(hub, "USB\\VID_0951&PID_1642\\001372", true), kStickDisk);
         },
         {"0951|1642|001372|Kingsley|Data Stick"}},
        {"composite device: the storage interface's parent",
         [](FakeTree& t) {
             auto device = t.add(t.add(0, "USB\\ROOT_HUB20\\4&1&0"), "USB\\VID_05AC&PID_12A8\\A1B2C3", true);
             auto storage = t.add(device, "USB\\VID_05AC&PID_12A8&MI_01\\6&1A2B3C&0&0001", false);
             t.disk(storage, "USBSTOR\\Disk&Ven_&Prod_&Rev_0001\\A1B2C3&0");
         },
         {"05AC|12A8|A1B2C3|Maker of 2|Disk 4"}},
        {"reader without a card",
         [](FakeTree& t) {
             auto reader = t.add(t.add(0, "USB\\ROOT_HUB30\\4&1&0"), "USB\\VID_0BDA&PID_0129\\20100201396000000", true);
             t.disk(reader, "USBSTOR\\Disk&Ven_Generic&Prod_SD_MMC&Rev_1.00\\2010&0", false);
             t.disk(reader, "USBSTOR\\Disk&Ven_Generic&Prod_MS&Rev_1.00\\2010&1", false);
         },
         {}},
        {"reader with a card in its second slot, and a serial with \"&\"",
         [](FakeTree& t) {
             auto reader = t.add(t.add(0, "USB\\ROOT_HUB30\\4&1&0"), "USB\\VID_0BDA&PID_0129\\7&Q1&0", true);
             t.disk(reader, "USBSTOR\\Disk&Ven_Generic&Prod_SD_MMC&Rev_1.00\\2010&0", false);
             t.disk(reader, "USBSTOR\\Disk&Ven_Generic&Prod_MS&Rev_1.00\\2010&1");
             t.disk(reader, "USBSTOR\\Disk&Ven_Generic&Prod_CF&Rev_1.00\\2010&2");
         },
         {"0BDA|0129|7&Q1&0|Generic|MS"}},
        {"device without a serial",
         [](FakeTree& t) {
             auto device = t.add(t.add(0, "USB\\ROOT_HUB30\\4&1&0"), "USB\\VID_058F&PID_6387\\5&2A1B3C4D&0&2", false);
             t.disk(device, "USBSTOR\\Disk&Ven_Generic&Prod_Flash_Disk&Rev_8.07\\6&3B2C1D&0");
         },
         {"058F|6387||Generic|Flash Disk"}},
        {"disk not on USB",
         [](FakeTree& t) { t.disk(t.add(0, "PCI\\VEN_8086&DEV_A102\\3&11583659&0&B8"), "SCSI\\Disk&Ven_ATA\\4&1&0"); },
         {}},
    };
    for (const Case& c : cases) {
        FakeTree tree;
        c.build(tree);
        EXPECT_EQ(Walk(tree), c.expected) << c.name;
    }
}

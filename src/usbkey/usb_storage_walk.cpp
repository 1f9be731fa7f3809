#include "usbkey/usb_storage_walk.h"

#include <set>

#include "app/text.h"

namespace qv {

namespace {
// Deeper than any real chain of disk, interfaces, hubs and controllers.
constexpr int kMaxDepth = 16;
}  // namespace

std::optional<UsbDeviceNode> FindUsbDevice(DeviceTree& tree, DeviceTree::Node disk) {
    DeviceTree::Node node = disk;
    for (int depth = 0; depth < kMaxDepth; ++depth) {
        std::optional<DeviceTree::Node> parent = tree.parent(node);
        if (!parent) return std::nullopt;
        node = *parent;
        const std::string instanceId = tree.instanceId(node);
        if (!StartsWith(ToUpperAscii(instanceId), "USB\\")) continue;   // a disk, a SCSI adapter of a UAS stick
        std::optional<UsbInstanceId> id = ParseUsbInstanceId(instanceId);
        if (id && id->isInterface) continue;   // the composite device is its parent
        // The first USB device above the disk carries it; what lies further up is a hub.
        if (!id) return std::nullopt;
        if (std::optional<bool> unique = tree.hasUniqueId(node)) id->serial = *unique ? id->instance : "";
        return UsbDeviceNode{node, *id};
    }
    return std::nullopt;
}

std::vector<UsbDeviceRecord> CollectUsbStorageRecords(DeviceTree& tree) {
    std::vector<UsbDeviceRecord> records;
    std::set<DeviceTree::Node> seen;   // a card reader shows one disk per slot, but is one device
    for (DeviceTree::Node disk : tree.disks()) {
        // An empty slot of a reader is no key; the reader counts once one of its slots holds a card.
        if (!tree.hasMedium(disk)) continue;
        std::optional<UsbDeviceNode> device = FindUsbDevice(tree, disk);
        if (!device || !seen.insert(device->node).second) continue;
        // The names the stick itself reports to the disk driver; the USB device's own
        // manufacturer entry and the disk's friendly name stand in where they are blank.
        StorageNames names = ParseStorageInstanceId(tree.instanceId(disk));
        if (names.vendor.empty()) names.vendor = tree.manufacturer(device->node);
        if (names.product.empty()) names.product = tree.friendlyName(disk);
        const UsbInstanceId& id = device->id;
        records.push_back({id.vendorId, id.productId, id.serial, names.vendor, names.product});
    }
    return records;
}

}  // namespace qv

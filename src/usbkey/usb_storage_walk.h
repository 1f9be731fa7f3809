// From the disks Windows lists to the USB devices that carry them: the walk the USB serial
// library makes over the device tree, apart from the SetupAPI calls that read the tree.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "usbkey/usb_instance_id.h"

namespace qv {

class DeviceTree {
public:
    using Node = std::uintptr_t;
    virtual ~DeviceTree() = default;
    // The disks present now, in the order Windows lists them.
    virtual std::vector<Node> disks() = 0;
    // Nothing at the top of the tree or when the system cannot tell.
    virtual std::optional<Node> parent(Node node) = 0;
    virtual std::string instanceId(Node node) = 0;
    // Whether the device reported a serial number of its own, so that Windows made the last
    // part of its instance id from it; nothing when the system cannot tell.
    virtual std::optional<bool> hasUniqueId(Node node) = 0;
    // False only when the disk is known to hold no medium (an empty card-reader slot).
    virtual bool hasMedium(Node disk) = 0;
    // The device's manufacturer entry; the disk's friendly name.
    virtual std::string manufacturer(Node device) = 0;
    virtual std::string friendlyName(Node disk) = 0;
};

struct UsbDeviceNode {
    DeviceTree::Node node = 0;
    UsbInstanceId id;
};
// The first USB device above `disk`, past the interfaces of a composite device; nothing
// when the disk is not on USB or that device's id cannot be read. Never a hub further up.
std::optional<UsbDeviceNode> FindUsbDevice(DeviceTree& tree, DeviceTree::Node disk);

// One record for each USB device that carries a disk with a medium, in the order of the
// disks; a reader with several slots is one device.
std::vector<UsbDeviceRecord> CollectUsbStorageRecords(DeviceTree& tree);

}  // namespace qv

// The real library: the USB mass-storage devices attached now, found through SetupAPI.
// Each disk is walked up the device tree to the USB device that carries it; that device's
// instance id ("USB\VID_0951&PID_1642\001372") gives vendor id, product id and serial.
#include <windows.h>
#include <cfgmgr32.h>
#include <setupapi.h>

#include <set>
#include <string>
#include <vector>

#include "usb_serial_export.h"
#include "usbkey/usb_instance_id.h"

namespace {

// GUID_DEVINTERFACE_DISK.
const GUID kDiskInterface = {0x53f56307, 0xb6bf, 0x11d0, {0x94, 0xf2, 0x00, 0xa0, 0xc9, 0x1e, 0xfb, 0x8b}};

std::string InstanceId(DEVINST node) {
    char id[MAX_DEVICE_ID_LEN + 1] = {};
    if (CM_Get_Device_IDA(node, id, sizeof id, 0) != CR_SUCCESS) return {};
    return id;
}

std::string RegistryText(HDEVINFO set, SP_DEVINFO_DATA& info, DWORD property) {
    char text[512] = {};
    DWORD type = 0;
    if (!SetupDiGetDeviceRegistryPropertyA(set, &info, property, &type, reinterpret_cast<BYTE*>(text),
                                           sizeof text - 1, nullptr))
        return {};
    return type == REG_SZ ? std::string(text) : std::string();
}

std::string NodeText(DEVINST node, ULONG property) {
    char text[512] = {};
    ULONG size = sizeof text - 1;
    ULONG type = 0;
    if (CM_Get_DevNode_Registry_PropertyA(node, property, &type, text, &size, 0) != CR_SUCCESS) return {};
    return type == REG_SZ ? std::string(text) : std::string();
}

// The USB device above a disk: the first ancestor with a USB device id that is not one
// interface of a composite device. Nothing when the disk is not on USB.
bool FindUsbDevice(DEVINST disk, DEVINST& device, qv::UsbInstanceId& id) {
    DEVINST node = disk;
    for (int depth = 0; depth < 16; ++depth) {
        DEVINST parent = 0;
        if (CM_Get_Parent(&parent, node, 0) != CR_SUCCESS) return false;
        node = parent;
        auto parsed = qv::ParseUsbInstanceId(InstanceId(node));
        if (parsed && !parsed->isInterface) {
            device = node;
            id = *parsed;
            return true;
        }
    }
    return false;
}

}  // namespace

namespace kvusb {

short Collect(std::string& text) {
    HDEVINFO set = SetupDiGetClassDevsA(&kDiskInterface, nullptr, nullptr, DIGCF_PRESENT | DIGCF_DEVICEINTERFACE);
    if (set == INVALID_HANDLE_VALUE) return kStatusEnumerationFailed;

    std::vector<qv::UsbDeviceRecord> records;
    std::set<DEVINST> seen;   // a card reader shows one disk per slot, but is one device
    SP_DEVINFO_DATA info{};
    info.cbSize = sizeof info;
    for (DWORD i = 0; SetupDiEnumDeviceInfo(set, i, &info); ++i) {
        DEVINST device = 0;
        qv::UsbInstanceId id;
        if (!FindUsbDevice(info.DevInst, device, id) || !seen.insert(device).second) continue;
        // The names the stick itself reports to the disk driver; the USB device's own
        // manufacturer entry and the disk's friendly name stand in where they are blank.
        qv::StorageNames names = qv::ParseStorageInstanceId(InstanceId(info.DevInst));
        if (names.vendor.empty()) names.vendor = NodeText(device, CM_DRP_MFG);
        if (names.product.empty()) names.product = RegistryText(set, info, SPDRP_FRIENDLYNAME);
        records.push_back({id.vendorId, id.productId, id.serial, names.vendor, names.product});
    }
    SetupDiDestroyDeviceInfoList(set);

    int listed = 0;
    text = qv::BuildUsbDeviceText(records, 3000, listed);
    return kStatusOk;
}

}  // namespace kvusb

// The real library: the USB mass-storage devices attached now, found through SetupAPI.
// Each disk is walked up the device tree to the USB device that carries it (usbkey/
// usb_storage_walk.cpp); that device's instance id ("USB\VID_0951&PID_1642\001372") gives
// vendor id, product id and serial.
#include <windows.h>
#include <cfgmgr32.h>
#include <setupapi.h>
#include <winioctl.h>

#include <string>
#include <vector>

#include "usb_serial_export.h"
#include "usbkey/usb_storage_walk.h"

namespace {

// GUID_DEVINTERFACE_DISK.
const GUID kDiskInterface = {0x53f56307, 0xb6bf, 0x11d0, {0x94, 0xf2, 0x00, 0xa0, 0xc9, 0x1e, 0xfb, 0x8b}};

std::string NodeText(DEVINST node, ULONG property) {
    char text[512] = {};
    ULONG size = sizeof text - 1;
    ULONG type = 0;
    if (CM_Get_DevNode_Registry_PropertyA(node, property, &type, text, &size, 0) != CR_SUCCESS) return {};
    return type == REG_SZ ? std::string(text) : std::string();
}

// The device tree as SetupAPI and the configuration manager show it; nodes are DEVINSTs.
class SetupApiTree : public qv::DeviceTree {
public:
    SetupApiTree()
        : set_(SetupDiGetClassDevsA(&kDiskInterface, nullptr, nullptr, DIGCF_PRESENT | DIGCF_DEVICEINTERFACE)) {}
    ~SetupApiTree() override {
        if (valid()) SetupDiDestroyDeviceInfoList(set_);
    }
    SetupApiTree(const SetupApiTree&) = delete;
    SetupApiTree& operator=(const SetupApiTree&) = delete;
    bool valid() const { return set_ != INVALID_HANDLE_VALUE; }

    std::vector<Node> disks() override {
        std::vector<Node> nodes;
        SP_DEVINFO_DATA info{};
        info.cbSize = sizeof info;
        for (DWORD i = 0; SetupDiEnumDeviceInfo(set_, i, &info); ++i) {
            disks_.push_back(info);
            nodes.push_back(info.DevInst);
        }
        return nodes;
    }
    std::optional<Node> parent(Node node) override {
        DEVINST parent = 0;
        if (CM_Get_Parent(&parent, static_cast<DEVINST>(node), 0) != CR_SUCCESS) return std::nullopt;
        return parent;
    }
    std::string instanceId(Node node) override {
        char id[MAX_DEVICE_ID_LEN + 1] = {};
        if (CM_Get_Device_IDA(static_cast<DEVINST>(node), id, sizeof id, 0) != CR_SUCCESS) return {};
        return id;
    }
    std::optional<bool> hasUniqueId(Node node) override {
        DWORD capabilities = 0;
        ULONG size = sizeof capabilities;
        ULONG type = 0;
        if (CM_Get_DevNode_Registry_PropertyA(static_cast<DEVINST>(node), CM_DRP_CAPABILITIES, &type, &capabilities,
                                              &size, 0) != CR_SUCCESS ||
            type != REG_DWORD)
            return std::nullopt;
        return (capabilities & CM_DEVCAP_UNIQUEID) != 0;
    }
    bool hasMedium(Node disk) override {
        SP_DEVINFO_DATA* info = find(disk);
        if (!info) return true;
        const std::string path = interfacePath(*info);
        if (path.empty()) return true;
        // No access rights are needed to ask whether a medium is in.
        HANDLE h = CreateFileA(path.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0, nullptr);
        if (h == INVALID_HANDLE_VALUE) return true;
        DWORD bytes = 0;
        const BOOL ok = DeviceIoControl(h, IOCTL_STORAGE_CHECK_VERIFY2, nullptr, 0, nullptr, 0, &bytes, nullptr);
        const DWORD error = ok ? ERROR_SUCCESS : GetLastError();
        CloseHandle(h);
        // Only a clear "no medium" hides a disk: a stick that cannot be asked stays listed.
        return error != ERROR_NOT_READY && error != ERROR_NO_MEDIA_IN_DRIVE;
    }
    std::string manufacturer(Node device) override { return NodeText(static_cast<DEVINST>(device), CM_DRP_MFG); }
    std::string friendlyName(Node disk) override { return NodeText(static_cast<DEVINST>(disk), CM_DRP_FRIENDLYNAME); }

private:
    SP_DEVINFO_DATA* find(Node disk) {
        for (SP_DEVINFO_DATA& info : disks_) {
            if (info.DevInst == disk) return &info;
        }
        return nullptr;
    }
    std::string interfacePath(SP_DEVINFO_DATA& info) {
        SP_DEVICE_INTERFACE_DATA iface{};
        iface.cbSize = sizeof iface;
        if (!SetupDiEnumDeviceInterfaces(set_, &info, &kDiskInterface, 0, &iface)) return {};
        DWORD size = 0;
        SetupDiGetDeviceInterfaceDetailA(set_, &iface, nullptr, 0, &size, nullptr);
        if (size < sizeof(SP_DEVICE_INTERFACE_DETAIL_DATA_A)) return {};
        std::vector<DWORD> buffer(size / sizeof(DWORD) + 1);   // DWORD-aligned, as the detail needs
        auto* detail = reinterpret_cast<SP_DEVICE_INTERFACE_DETAIL_DATA_A*>(buffer.data());
        detail->cbSize = sizeof(SP_DEVICE_INTERFACE_DETAIL_DATA_A);
        if (!SetupDiGetDeviceInterfaceDetailA(set_, &iface, detail, size, nullptr, nullptr)) return {};
        return detail->DevicePath;
    }

    HDEVINFO set_;
    std::vector<SP_DEVINFO_DATA> disks_;
};

}  // namespace

namespace kvusb {

short Collect(std::string& text) {
    SetupApiTree tree;
    if (!tree.valid()) return kStatusEnumerationFailed;
    int listed = 0;
    text = qv::BuildUsbDeviceText(qv::CollectUsbStorageRecords(tree), 3000, listed);
    return kStatusOk;
}

}  // namespace kvusb

// What the USB serial library makes of Windows' device instance ids, and the device text
// it hands back: "<vid>..</vid><pid>..</pid><serial>..</serial><manu>..</manu><prod>..</prod></device>"
// per device.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace qv {

struct UsbDeviceRecord {
    std::string vendorId, productId, serial, manufacturer, product;
};

struct UsbInstanceId {
    std::string vendorId;    // four hex digits, upper case
    std::string productId;   // four hex digits, upper case
    std::string instance;    // the last part of the id, as it stands
    std::string serial;      // the instance part, or empty when Windows made it up
    bool isInterface = false;   // one interface of a composite device ("&MI_00")
};

// Parses "USB\VID_0951&PID_1642\001372"; nothing for ids of other buses, hubs and the like.
std::optional<UsbInstanceId> ParseUsbInstanceId(std::string_view instanceId);

struct StorageNames {
    std::string vendor, product;
};
// Vendor and product as the disk reports them, from "USBSTOR\Disk&Ven_Kingston&Prod_DataTraveler_2.0&Rev_1.00\..."
// (underscores stand for blanks). Empty parts where the id has none.
StorageNames ParseStorageInstanceId(std::string_view instanceId);

// One record; characters that would break the record's tags are replaced.
std::string FormatUsbDeviceRecord(const UsbDeviceRecord& record);
// The records that fit whole into `capacity` characters, in order; `listed` receives how many.
std::string BuildUsbDeviceText(const std::vector<UsbDeviceRecord>& records, std::size_t capacity, int& listed);
// `text` cut after its last whole record ("</device>") that ends within `capacity`;
// `records` receives the number of records kept.
std::string FitUsbDeviceText(std::string_view text, std::size_t capacity, int& records);

}  // namespace qv

// Windows' device instance ids, as the USB serial library parses them, and the device
// record it builds from their parts.
#include <cctype>

#include "fuzz_world.h"
#include "usbkey/usb_devices.h"
#include "usbkey/usb_instance_id.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace qv;
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    if (auto id = ParseUsbInstanceId(text)) {
        for (const std::string& hex : {id->vendorId, id->productId}) {
            fuzz::Require(hex.size() == 4);
            for (char c : hex) fuzz::Require(std::isxdigit(static_cast<unsigned char>(c)) && !std::islower(c));
        }
    }
    const StorageNames names = ParseStorageInstanceId(text);
    auto parts = fuzz::Pieces(data, size, 5);
    const UsbDeviceRecord record{parts[0], parts[1], parts[2], names.vendor, names.product};
    UsbDeviceList list;
    ParseUSBDeviceText(list, FormatUsbDeviceRecord(record));
    fuzz::Require(list.upperBound() == 1);
    return 0;
}

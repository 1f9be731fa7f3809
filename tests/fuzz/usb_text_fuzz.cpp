// The USB serial library's texts: the device text, the simulated library's file, the cut of a
// text to the library's buffer, and Windows' device instance ids with the device record built
// from their parts.
#include <cctype>

#include "fuzz_world.h"
#include "usbkey/usb_devices.h"
#include "usbkey/usb_instance_id.h"
#include "usbkey/usb_sim_file.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace qv;
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    UsbDeviceList list;
    ParseUSBDeviceText(list, text);
    fuzz::Require(list.upperBound() >= 0);
    int records = -1;
    const std::string fitted = FitUsbDeviceText(text, size / 2, records);
    fuzz::Require(records >= 0 && fitted.size() <= size / 2 && text.substr(0, fitted.size()) == fitted);
    UsbSimFile sim = ParseUsbSimFile(text);
    fuzz::Require(ParseUsbSimFile(FormatUsbSimFile(sim)).records == sim.records);

    if (auto id = ParseUsbInstanceId(text)) {
        for (const std::string& hex : {id->vendorId, id->productId}) {
            fuzz::Require(hex.size() == 4);
            for (char c : hex) fuzz::Require(std::isxdigit(static_cast<unsigned char>(c)) && !std::islower(c));
        }
    }
    const StorageNames names = ParseStorageInstanceId(text);
    auto parts = fuzz::Pieces(data, size, 5);
    UsbDeviceList one;
    ParseUSBDeviceText(one, FormatUsbDeviceRecord({parts[0], parts[1], parts[2], names.vendor, names.product}));
    fuzz::Require(one.upperBound() == 1);
    return 0;
}

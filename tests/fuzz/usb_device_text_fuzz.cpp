// The USB serial library's device text, the simulated library's file and the cut of a text
// to the library's buffer.
#include "fuzz_world.h"
#include "usbkey/usb_devices.h"
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
    return 0;
}

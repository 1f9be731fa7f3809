// The device text: records ended by "</device>", fields in tag pairs. Kept apart from the
// refresh so the simulated library can parse without the rest of the program.
#include <array>

#include "app/text.h"
#include "usbkey/usb_devices.h"

namespace qv {

namespace {

struct Field {
    std::string_view open, close;
    std::vector<std::string> UsbDeviceList::*list;
};
const std::array<Field, 5> kFields{{
    {"<vid>", "</vid>", &UsbDeviceList::vendorId},
    {"<pid>", "</pid>", &UsbDeviceList::productId},
    {"<serial>", "</serial>", &UsbDeviceList::serial},
    {"<manu>", "</manu>", &UsbDeviceList::manufacturer},
    {"<prod>", "</prod>", &UsbDeviceList::product},
}};

}  // namespace

void ParseUSBDeviceText(UsbDeviceList& list, std::string_view text) {
    list.clear();
    if (Trim(text).empty()) return;
    constexpr std::string_view kEnd = "</device>";
    std::size_t start = 0;
    // Only pieces ended by "</device>" are records; whatever follows the last one is not.
    for (std::size_t end = text.find(kEnd); end != std::string_view::npos; end = text.find(kEnd, start)) {
        std::string_view record = text.substr(start, end - start);
        int i = list.addEmpty();
        for (const Field& f : kFields) {
            std::size_t s = record.find(f.open);
            std::size_t e = record.find(f.close);
            if (s == std::string_view::npos || e == std::string_view::npos || e < s + f.open.size()) continue;
            (list.*f.list)[i] = std::string(record.substr(s + f.open.size(), e - s - f.open.size()));
        }
        start = end + kEnd.size();
    }
}

}  // namespace qv

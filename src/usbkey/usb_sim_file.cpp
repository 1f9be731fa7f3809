#include "usbkey/usb_sim_file.h"

#include <algorithm>

#include "app/text.h"
#include "usbkey/usb_devices.h"

namespace qv {

namespace {

constexpr std::string_view kRecordEnd = "</device>";

// Vendor 0951 / product 1642 is the key the program is tried with; the other two sticks
// differ from it in every identifying part.
const UsbDeviceRecord kKey{"0951", "1642", "QV0001KEY", "Keystone Media", "Key Drive 2.0"};
const UsbDeviceRecord kOther{"0781", "5567", "4C530001230819115403", "Northwind", "Blade Stick"};
const UsbDeviceRecord kNoSerial{"058F", "6387", "", "Generic", "Flash Disk"};

bool SameDevice(const std::string& record, const UsbDeviceRecord& d) {
    UsbDeviceList list;
    ParseUSBDeviceText(list, record);
    return list.upperBound() == 1 && list.vendorId[1] == d.vendorId && list.productId[1] == d.productId &&
           list.serial[1] == d.serial;
}

}  // namespace

std::string UsbSimFile::deviceText() const {
    std::string text;
    for (const std::string& r : records) text += r;
    return text;
}

UsbSimFile ParseUsbSimFile(std::string_view content) {
    UsbSimFile file;
    std::size_t eol = content.find('\n');
    std::string first(content.substr(0, eol));
    if (!first.empty() && first.back() == '\r') first.pop_back();
    std::size_t eq = first.find('=');
    if (eq != std::string::npos && ToLowerAscii(Trim(first.substr(0, eq))) == "status") {
        int value = 0;
        file.status = static_cast<std::int16_t>(ParseInt16(first.substr(eq + 1), value) ? value : 0);
        content = eol == std::string_view::npos ? std::string_view() : content.substr(eol + 1);
    }
    // Line breaks only lay the records out; they are not part of the device text.
    std::string text;
    for (char c : content) {
        if (c != '\r' && c != '\n') text += c;
    }
    std::size_t start = 0;
    for (std::size_t at = text.find(kRecordEnd); at != std::string::npos; at = text.find(kRecordEnd, start)) {
        file.records.push_back(text.substr(start, at + kRecordEnd.size() - start));
        start = at + kRecordEnd.size();
    }
    return file;
}

std::string FormatUsbSimFile(const UsbSimFile& file) {
    std::string out;
    if (file.status) out += "status=" + std::to_string(*file.status) + "\r\n";
    // Without a status line, a first record that reads like one must not be taken for it.
    else if (!file.records.empty() && ParseUsbSimFile(file.records.front()).status) out += "\r\n";
    for (const std::string& r : file.records) out += r + "\r\n";
    return out;
}

const UsbDeviceRecord& SimStickRecord(SimStick stick) {
    switch (stick) {
        case SimStick::Key: return kKey;
        case SimStick::Other: return kOther;
        case SimStick::NoSerial: break;
    }
    return kNoSerial;
}

const char* SimStickName(SimStick stick) {
    switch (stick) {
        case SimStick::Key: return "key";
        case SimStick::Other: return "other";
        case SimStick::NoSerial: break;
    }
    return "noserial";
}

bool IsSimStickPlugged(const UsbSimFile& file, SimStick stick) {
    const UsbDeviceRecord& d = SimStickRecord(stick);
    return std::any_of(file.records.begin(), file.records.end(),
                       [&](const std::string& r) { return SameDevice(r, d); });
}

bool PlugSimStick(UsbSimFile& file, SimStick stick) {
    if (IsSimStickPlugged(file, stick)) return false;
    file.records.push_back(FormatUsbDeviceRecord(SimStickRecord(stick)));
    return true;
}

bool PullSimStick(UsbSimFile& file, SimStick stick) {
    const UsbDeviceRecord& d = SimStickRecord(stick);
    auto gone = std::remove_if(file.records.begin(), file.records.end(),
                               [&](const std::string& r) { return SameDevice(r, d); });
    bool changed = gone != file.records.end();
    file.records.erase(gone, file.records.end());
    return changed;
}

}  // namespace qv

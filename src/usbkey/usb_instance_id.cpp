#include "usbkey/usb_instance_id.h"

#include "app/text.h"

namespace qv {

namespace {

constexpr std::string_view kRecordEnd = "</device>";

std::vector<std::string_view> Split(std::string_view text, char sep) {
    std::vector<std::string_view> parts;
    std::size_t start = 0;
    while (true) {
        std::size_t at = text.find(sep, start);
        parts.push_back(text.substr(start, at == std::string_view::npos ? std::string_view::npos : at - start));
        if (at == std::string_view::npos) return parts;
        start = at + 1;
    }
}

bool StartsWithNoCase(std::string_view text, std::string_view prefix) {
    return text.size() >= prefix.size() && ToUpperAscii(text.substr(0, prefix.size())) == prefix;
}

bool IsHex4(std::string_view v) {
    if (v.size() != 4) return false;
    for (char c : v) {
        bool hex = (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F');
        if (!hex) return false;
    }
    return true;
}

bool IsDigits(std::string_view v, bool hex) {
    if (v.empty()) return false;
    for (char c : v) {
        const bool digit = c >= '0' && c <= '9';
        if (!digit && !(hex && ((c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F')))) return false;
    }
    return true;
}

// The instance part Windows makes for a device without a serial number: a number, a
// hexadecimal id of the parent and port numbers, joined by "&" ("5&2A1B3C4D&0&2"). A
// serial may hold "&" as well ("AB&CD01") and is kept whole.
bool IsMadeUpInstance(std::string_view instance) {
    std::vector<std::string_view> parts = Split(instance, '&');
    if (parts.size() < 3 || !IsDigits(parts[0], false) || !IsDigits(parts[1], true)) return false;
    for (std::size_t i = 2; i < parts.size(); ++i) {
        if (!IsDigits(parts[i], true)) return false;
    }
    return true;
}

std::string UnderscoresToBlanks(std::string_view v) {
    std::string out(v);
    for (char& c : out) {
        if (c == '_') c = ' ';
    }
    return Trim(out);
}

// Tags are found by "<" and ">" and records end at "</device>": neither may appear inside
// a value. Control characters are dropped.
std::string Clean(std::string_view value) {
    std::string out;
    out.reserve(value.size());
    for (char c : value) {
        if (c == '<') out += '(';
        else if (c == '>') out += ')';
        else if (static_cast<unsigned char>(c) >= 0x20) out += c;
    }
    return out;
}

}  // namespace

std::optional<UsbInstanceId> ParseUsbInstanceId(std::string_view instanceId) {
    std::vector<std::string_view> parts = Split(instanceId, '\\');
    if (parts.size() != 3 || ToUpperAscii(parts[0]) != "USB" || parts[2].empty()) return std::nullopt;
    UsbInstanceId id;
    for (std::string_view token : Split(parts[1], '&')) {
        if (StartsWithNoCase(token, "VID_")) id.vendorId = ToUpperAscii(token.substr(4));
        else if (StartsWithNoCase(token, "PID_")) id.productId = ToUpperAscii(token.substr(4));
        else if (StartsWithNoCase(token, "MI_")) id.isInterface = true;
    }
    if (!IsHex4(id.vendorId) || !IsHex4(id.productId)) return std::nullopt;
    id.instance = std::string(parts[2]);
    if (!IsMadeUpInstance(parts[2])) id.serial = id.instance;
    return id;
}

StorageNames ParseStorageInstanceId(std::string_view instanceId) {
    StorageNames names;
    std::vector<std::string_view> parts = Split(instanceId, '\\');
    if (parts.size() < 2) return names;
    for (std::string_view token : Split(parts[1], '&')) {
        if (StartsWithNoCase(token, "VEN_")) names.vendor = UnderscoresToBlanks(token.substr(4));
        else if (StartsWithNoCase(token, "PROD_")) names.product = UnderscoresToBlanks(token.substr(5));
    }
    return names;
}

std::string FormatUsbDeviceRecord(const UsbDeviceRecord& r) {
    return "<vid>" + Clean(r.vendorId) + "</vid><pid>" + Clean(r.productId) + "</pid><serial>" + Clean(r.serial) +
           "</serial><manu>" + Clean(r.manufacturer) + "</manu><prod>" + Clean(r.product) + "</prod>" +
           std::string(kRecordEnd);
}

std::string BuildUsbDeviceText(const std::vector<UsbDeviceRecord>& records, std::size_t capacity, int& listed) {
    std::string text;
    listed = 0;
    for (const UsbDeviceRecord& r : records) {
        std::string record = FormatUsbDeviceRecord(r);
        if (text.size() + record.size() > capacity) break;
        text += record;
        ++listed;
    }
    return text;
}

std::string FitUsbDeviceText(std::string_view text, std::size_t capacity, int& records) {
    records = 0;
    std::size_t kept = 0;
    for (std::size_t at = text.find(kRecordEnd); at != std::string_view::npos;
         at = text.find(kRecordEnd, at + kRecordEnd.size())) {
        std::size_t end = at + kRecordEnd.size();
        if (end > capacity) break;
        kept = end;
        ++records;
    }
    return std::string(text.substr(0, kept));
}

}  // namespace qv

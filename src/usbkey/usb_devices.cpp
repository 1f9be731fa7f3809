#include "usbkey/usb_devices.h"

#include <algorithm>
#include <array>

#include "app/context.h"
#include "app/text.h"

namespace qv {

namespace {

constexpr std::uint32_t kLangNoDeviceText = 539;

std::int16_t RefreshDevices(Context& ctx, bool loud) {
    UsbDeviceList& list = ctx.globals().usbDevices;
    list.clear();
    std::array<char, kUsbSerialBufferSize> buffer{};
    std::int16_t length = 0, count = 0, status = 0;
    if (!ctx.services().usbSerial.getUSBSerial(buffer.data(), length, count, status)) {
        if (loud) ctx.message(kUsbLibraryMissingText, kAppTitle, MbIconCritical);
        return kUsbFailedStatus;
    }
    if (status != 1) {
        if (loud) ctx.message("Get USB Serial error code : " + std::to_string(status), kAppTitle, MbIconCritical);
        return kUsbFailedStatus;
    }
    if (length < 1) return kUsbNoDeviceText;
    // The library's length is not trusted beyond the buffer it was given.
    std::size_t used = std::min<std::size_t>(static_cast<std::size_t>(length), buffer.size());
    ParseUSBDeviceText(list, std::string_view(buffer.data(), used));
    return count;
}

// Whether entry i is a complete device whose identity equals the trimmed wanted id.
bool Matches(const UsbDeviceList& list, int i, const std::string& wanted) {
    if (Trim(list.vendorId[i]).empty() || Trim(list.productId[i]).empty() || Trim(list.serial[i]).empty())
        return false;
    return Trim(list.keyId(i)) == wanted;
}

bool AnyMatches(const UsbDeviceList& list, const std::string& wanted) {
    for (int i = 1; i <= list.upperBound(); ++i) {
        if (Matches(list, i, wanted)) return true;
    }
    return false;
}

}  // namespace

std::int16_t GetUSBDevices(Context& ctx) { return RefreshDevices(ctx, true); }

std::int16_t ReadUSBDevices(Context& ctx) { return RefreshDevices(ctx, false); }

bool CheckUSBDevices(Context& ctx) {
    std::int16_t result = GetUSBDevices(ctx);
    if (result >= 1) return true;
    if (result == kUsbNoDeviceText) ctx.message(ctx.lang(kLangNoDeviceText), kAppTitle, MbIconCritical);
    return false;
}

bool HasUSBDevices(Context& ctx) { return ReadUSBDevices(ctx) > 0; }

bool IsUSBKeyPresent(Context& ctx, const std::string& wantedId) {
    std::string wanted = Trim(wantedId);
    if (wanted.empty()) return false;
    if (!HasUSBDevices(ctx)) return false;
    return AnyMatches(ctx.globals().usbDevices, wanted);
}

bool IsUSBKeyAbsent(Context& ctx, const std::string& wantedId) {
    std::string wanted = Trim(wantedId);
    if (wanted.empty()) return false;
    if (!HasUSBDevices(ctx)) return true;
    return !AnyMatches(ctx.globals().usbDevices, wanted);
}

}  // namespace qv

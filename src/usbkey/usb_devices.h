// The attached USB storage devices, as the USB serial library reports them, and the
// presence checks the lock runs against the key's identity.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "usbkey/usb_device_list.h"

namespace qv {

class Context;

// Results of GetUSBDevices / ReadUSBDevices besides the device count.
enum : std::int16_t { kUsbFailedStatus = -1, kUsbNoDeviceText = -2 };

// Refreshes ctx.globals().usbDevices; -1 failed status, -2 no device text, else the count the
// library reported. Shows a message for a failed status or a library that cannot be called.
std::int16_t GetUSBDevices(Context& ctx);
// The same without any message.
std::int16_t ReadUSBDevices(Context& ctx);
// Rebuilds `list` from the device text: one entry per record ended by "</device>".
void ParseUSBDeviceText(UsbDeviceList& list, std::string_view text);
// GetUSBDevices, true for one device or more; language string 539 when there is no device text.
bool CheckUSBDevices(Context& ctx);
// ReadUSBDevices, true for one device or more.
bool HasUSBDevices(Context& ctx);
// Whether a device with the identity `wantedId` (vendor id + product id + serial) is attached.
bool IsUSBKeyPresent(Context& ctx, const std::string& wantedId);
// The mirror check, except that an empty identity is never absent.
bool IsUSBKeyAbsent(Context& ctx, const std::string& wantedId);

// Shown when KvUSBSerial.DLL cannot be loaded or its function cannot be called.
inline constexpr const char* kUsbLibraryMissingText = "The USB serial library KvUSBSerial.DLL could not be loaded.";

}  // namespace qv

// usbsim.txt: the device text the simulated USB serial library hands out, kept in the
// program folder and rewritten by the key simulator. An optional first line
// "status=<n>" forces the library's status; the rest is the device text, one record a line.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "usbkey/usb_instance_id.h"

namespace qv {

inline constexpr const char* kUsbSimFileName = "usbsim.txt";

struct UsbSimFile {
    std::optional<std::int16_t> status;   // a status line whose number is unusable gives 0
    std::vector<std::string> records;     // whole records, each ending with "</device>"
    std::string deviceText() const;       // the records joined
};

UsbSimFile ParseUsbSimFile(std::string_view content);
std::string FormatUsbSimFile(const UsbSimFile& file);

// The sticks the key simulator plugs and pulls.
enum class SimStick { Key, Other, NoSerial };
const UsbDeviceRecord& SimStickRecord(SimStick stick);
const char* SimStickName(SimStick stick);   // "key", "other", "noserial"
bool IsSimStickPlugged(const UsbSimFile& file, SimStick stick);
// Adds or removes the stick's record; false when it already was in that state.
bool PlugSimStick(UsbSimFile& file, SimStick stick);
bool PullSimStick(UsbSimFile& file, SimStick stick);

}  // namespace qv

// Locating the USB key: the drive that carries the program and the device whose return
// unlocks the computer.
#pragma once

#include <string>

namespace qv {

class Context;

// The key drive's letter, or the empty text; leaves the chosen device's identity in
// ctx.globals().selectedUSBKeyId. May show the key selection dialog.
std::string FindUSBLockDrive(Context& ctx);
// True for removable and fixed drives.
bool IsLockDriveType(Context& ctx, const std::string& letter);
// True when the drive with this letter (any case) can be read now.
bool IsDriveReady(Context& ctx, const std::string& letter);

inline constexpr const char* kUsbLockDriveIni = "USBLockDrive.ini";
inline constexpr const char* kKeyFolder = "Program\\quorvel";

}  // namespace qv

#include "usbkey/find_usb_lock_drive.h"

#include "app/context.h"
#include "app/ini_file.h"
#include "app/text.h"
#include "usbkey/select_usb_lock_form.h"
#include "usbkey/usb_devices.h"

namespace qv {

namespace {

constexpr unsigned kFileMask = 35;     // normal, read-only, hidden, archive
constexpr unsigned kFolderMask = 51;   // the same plus folders

// Step 3: the drive named in USBLockDrive.ini when it carries the key folder. Returns the
// value as read (the caller takes its first character), or the empty text.
std::string PreferredDrive(Context& ctx) {
    FileSystem& fs = ctx.services().fs;
    std::string ini = ctx.programPath(kUsbLockDriveIni);
    if (!ListingFinds(fs, ini, kFileMask)) return {};
    std::string value = ReadIni(fs, "LockUSBDrive", "DriveLetter", "", ini);
    if (Trim(value).empty()) return {};
    // Appended unchanged: "E" without the colon gives "E\", which names no drive root.
    std::string root = value + "\\";
    if (!fs.stat(root)) return {};
    if (!ListingFinds(fs, root + kKeyFolder, kFolderMask)) return {};
    return value;
}

// Step 4: the highest letter from D to Z whose drive qualifies.
std::string ScannedDrive(Context& ctx) {
    std::string candidate;
    for (char c = 'D'; c <= 'Z'; ++c) {
        std::string letter(1, c);
        if (IsLockDriveType(ctx, letter) && IsDriveReady(ctx, letter) &&
            ListingFinds(ctx.services().fs, letter + ":\\" + kKeyFolder, kFolderMask))
            candidate = letter;
    }
    return candidate;
}

bool IsComplete(const UsbDeviceList& list, int i) {
    return !Trim(list.vendorId[i]).empty() && !Trim(list.productId[i]).empty() && !Trim(list.serial[i]).empty();
}

}  // namespace

bool IsLockDriveType(Context& ctx, const std::string& letter) {
    if (letter.size() != 1) return false;   // anything else names no drive root
    unsigned type = ctx.services().drives.driveType(ToUpperAscii(letter)[0]);
    return type == Drives::Removable || type == Drives::Fixed;
}

bool IsDriveReady(Context& ctx, const std::string& letter) {
    if (letter.size() != 1) return false;
    char c = ToUpperAscii(letter)[0];
    if (c < 'A' || c > 'Z') return false;
    return ctx.services().drives.isReady(c);
}

std::string FindUSBLockDrive(Context& ctx) {
    Globals& g = ctx.globals();
    g.selectedUSBKeyId.clear();
    if (!CheckUSBDevices(ctx) || g.usbDevices.upperBound() < 1) return {};

    std::string preferred = PreferredDrive(ctx);
    std::string candidate = ScannedDrive(ctx);

    // The device is chosen even when no drive qualified, so the dialog may still appear.
    const UsbDeviceList& list = g.usbDevices;
    if (list.upperBound() != 1) {
        SelectUsbLockForm form(ctx);
        ctx.services().forms.showModal(form);
    } else {
        if (!IsComplete(list, 1)) return {};
        g.selectedUSBKeyId = list.keyId(1);
    }

    if (Trim(g.selectedUSBKeyId).empty()) return {};
    if (!preferred.empty()) return preferred.substr(0, 1);
    return candidate;
}

}  // namespace qv

// The simulated library: hands out the device text kept in usbsim.txt beside the running
// program, or in the file QV_USBSIM names (off the stick, whose drive goes away with the key),
// so the key can be "plugged" and "pulled" without hardware. No file means no devices; a
// first line "status=<n>" forces the status.
#include <windows.h>

#include <string>

#include "usb_serial_export.h"
#include "usbkey/usb_sim_file.h"

namespace {

constexpr DWORD kMaxFileSize = 1 << 20;

std::string ProgramFolder() {
    char path[MAX_PATH + 1] = {};
    DWORD n = GetModuleFileNameA(nullptr, path, MAX_PATH);
    if (n == 0 || n >= MAX_PATH) return {};
    std::string folder(path, n);
    std::size_t slash = folder.find_last_of("\\/");
    return slash == std::string::npos ? std::string() : folder.substr(0, slash);
}

// Nothing when the file is not there; an unreadable file is a failure.
bool ReadSimFile(const std::string& path, std::string& content, bool& present) {
    present = false;
    HANDLE h = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                           nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE) {
        DWORD e = GetLastError();
        return e == ERROR_FILE_NOT_FOUND || e == ERROR_PATH_NOT_FOUND;
    }
    present = true;
    LARGE_INTEGER size{};
    if (!GetFileSizeEx(h, &size)) {
        CloseHandle(h);
        return false;
    }
    // Whatever lies past the cap could never reach the caller's buffer anyway.
    DWORD want = size.QuadPart > kMaxFileSize ? kMaxFileSize : static_cast<DWORD>(size.QuadPart);
    content.resize(want);
    DWORD got = 0;
    BOOL ok = want == 0 || ReadFile(h, content.data(), want, &got, nullptr);
    CloseHandle(h);
    content.resize(ok ? got : 0);
    return ok != FALSE;
}

}  // namespace

namespace kvusb {

short Collect(std::string& text) {
    char machine[MAX_PATH + 1] = {};
    DWORD n = GetEnvironmentVariableA("QV_USBSIM", machine, MAX_PATH);
    std::string path = n > 0 && n < MAX_PATH ? std::string(machine, n) : std::string();
    if (path.empty()) {
        std::string folder = ProgramFolder();
        if (folder.empty()) return kStatusEnumerationFailed;
        path = folder + "\\" + qv::kUsbSimFileName;
    }
    std::string content;
    bool present = false;
    if (!ReadSimFile(path, content, present)) return kStatusEnumerationFailed;
    if (!present) return kStatusOk;
    qv::UsbSimFile file = qv::ParseUsbSimFile(content);
    if (file.status && *file.status != kStatusOk) return *file.status;
    text = file.deviceText();
    return kStatusOk;
}

}  // namespace kvusb

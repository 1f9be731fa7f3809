#include "keysim_actions.h"

#include <windows.h>

#include <dbt.h>

namespace keysim {

namespace {

constexpr const char* kMainWindowClass = "QuorvelMainWindow";
constexpr UINT kShellNotifyMessage = 0x401;
constexpr LPARAM kDriveAdd = 0x100;
constexpr LPARAM kDriveRemoved = 0x80;

std::string EnvText(const char* name) {
    char value[MAX_PATH * 2] = {};
    DWORD n = GetEnvironmentVariableA(name, value, sizeof value);
    return n > 0 && n < sizeof value ? std::string(value, n) : std::string();
}

// The device list lives off the stick when the scripts say where (QV_USBSIM): the key's drive
// goes away with the key.
std::string SimPath(const std::string& folder) {
    std::string machine = EnvText("QV_USBSIM");
    return machine.empty() ? folder + "\\" + qv::kUsbSimFileName : machine;
}

bool Present(const std::string& path) { return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

// The folder behind the key's drive letter, as the scripts give it (QV_STICK, through Wine's Z:
// drive): pulling the key moves it aside, so the drive really goes, and plugging moves it back.
bool MoveStick(bool plug) {
    const std::string stick = EnvText("QV_STICK");
    if (stick.empty()) return true;
    const std::string away = stick + ".pulled";
    const std::string& from = plug ? away : stick;
    const std::string& to = plug ? stick : away;
    if (Present(to) && !Present(from)) return true;
    return MoveFileA(from.c_str(), to.c_str()) != 0;
}

// The drive's letter for the system's volume broadcast: the program folder's, else F.
DWORD UnitMask(const std::string& folder) {
    char letter = folder.size() > 1 && folder[1] == ':' ? static_cast<char>(folder[0] & ~0x20) : 'F';
    return letter >= 'A' && letter <= 'Z' ? 1u << (letter - 'A') : 1u << ('F' - 'A');
}

// Both roads by which Windows tells of a drive coming or going: the shell's notice to the
// window that asked for it, and the system's broadcast to every top-level window.
void Notify(HWND main, bool plug, DWORD unitMask) {
    PostMessageA(main, kShellNotifyMessage, 0, plug ? kDriveAdd : kDriveRemoved);
    DEV_BROADCAST_VOLUME volume{};
    volume.dbcv_size = sizeof volume;
    volume.dbcv_devicetype = DBT_DEVTYP_VOLUME;
    volume.dbcv_unitmask = unitMask;
    SendMessageTimeoutA(main, WM_DEVICECHANGE, plug ? DBT_DEVICEARRIVAL : DBT_DEVICEREMOVECOMPLETE,
                        reinterpret_cast<LPARAM>(&volume), SMTO_ABORTIFHUNG, 5000, nullptr);
}

std::string ReadAll(const std::string& path) {
    HANDLE h = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                           nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE) return {};
    std::string content;
    char chunk[4096];
    DWORD got = 0;
    while (ReadFile(h, chunk, sizeof chunk, &got, nullptr) && got > 0 && content.size() < (1u << 20))
        content.append(chunk, got);
    CloseHandle(h);
    return content;
}

// Written beside and moved over the old file, so the library never reads half a file.
bool WriteAll(const std::string& path, const std::string& content) {
    std::string temp = path + ".tmp";
    HANDLE h = CreateFileA(temp.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE) return false;
    DWORD written = 0;
    BOOL ok = content.empty() || WriteFile(h, content.data(), static_cast<DWORD>(content.size()), &written, nullptr);
    CloseHandle(h);
    if (!ok || written != content.size() || !MoveFileExA(temp.c_str(), path.c_str(), MOVEFILE_REPLACE_EXISTING)) {
        DeleteFileA(temp.c_str());
        return false;
    }
    return true;
}

}  // namespace

bool ParseAction(const std::string& word, Action& action) {
    for (qv::SimStick stick : {qv::SimStick::Key, qv::SimStick::Other, qv::SimStick::NoSerial}) {
        for (bool plug : {true, false}) {
            if (word == std::string(plug ? "plug-" : "pull-") + qv::SimStickName(stick)) {
                action = {stick, plug};
                return true;
            }
        }
    }
    return false;
}

bool ParseSeconds(const std::string& text, int& seconds) {
    if (text.empty() || text.size() > 4 || text.find_first_not_of("0123456789") != std::string::npos) return false;
    int value = std::stoi(text);
    if (value < 1 || value > kMaxPullSeconds) return false;
    seconds = value;
    return true;
}

bool Apply(const std::string& programFolder, const Action& action, std::string& report,
           const std::function<void()>& atNotice) {
    std::string path = SimPath(programFolder);
    qv::UsbSimFile file = qv::ParseUsbSimFile(ReadAll(path));
    bool changed = action.plug ? qv::PlugSimStick(file, action.stick) : qv::PullSimStick(file, action.stick);
    std::string what = std::string(qv::SimStickName(action.stick)) + (action.plug ? " plugged" : " pulled");
    // The drive follows the key even when the list already did.
    const bool key = action.stick == qv::SimStick::Key;
    if (key && action.plug && !MoveStick(true)) {
        report = "cannot bring the key's drive back";
        return false;
    }
    if (changed && !WriteAll(path, qv::FormatUsbSimFile(file))) {
        report = "cannot write " + path;
        return false;
    }
    if (key && !action.plug && !MoveStick(false)) {
        report = "cannot take the key's drive away";
        return false;
    }
    if (!changed) {
        report = what + " already";
        return true;
    }
    HWND main = FindWindowA(kMainWindowClass, nullptr);
    if (main && atNotice) atNotice();
    if (main) Notify(main, action.plug, UnitMask(programFolder));
    report = what + (main ? "; main window notified" : "; no main window");
    return true;
}

std::string State(const std::string& programFolder) {
    qv::UsbSimFile file = qv::ParseUsbSimFile(ReadAll(SimPath(programFolder)));
    std::string out;
    for (qv::SimStick stick : {qv::SimStick::Key, qv::SimStick::Other, qv::SimStick::NoSerial}) {
        if (!out.empty()) out += ' ';
        out += std::string(qv::SimStickName(stick)) + (qv::IsSimStickPlugged(file, stick) ? "=plugged" : "=pulled");
    }
    if (file.status) out += " status=" + std::to_string(*file.status);
    return out;
}

}  // namespace keysim

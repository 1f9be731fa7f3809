#include "keysim_actions.h"

#include <windows.h>

namespace keysim {

namespace {

constexpr const char* kMainWindowClass = "QuorvelMainWindow";
constexpr UINT kShellNotifyMessage = 0x401;
constexpr LPARAM kDriveAdd = 0x100;
constexpr LPARAM kDriveRemoved = 0x80;

std::string SimPath(const std::string& folder) { return folder + "\\" + qv::kUsbSimFileName; }

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

bool Apply(const std::string& programFolder, const Action& action, std::string& report) {
    std::string path = SimPath(programFolder);
    qv::UsbSimFile file = qv::ParseUsbSimFile(ReadAll(path));
    bool changed = action.plug ? qv::PlugSimStick(file, action.stick) : qv::PullSimStick(file, action.stick);
    std::string what = std::string(qv::SimStickName(action.stick)) + (action.plug ? " plugged" : " pulled");
    if (!changed) {
        report = what + " already";
        return true;
    }
    if (!WriteAll(path, qv::FormatUsbSimFile(file))) {
        report = "cannot write " + path;
        return false;
    }
    HWND main = FindWindowA(kMainWindowClass, nullptr);
    if (main) PostMessageA(main, kShellNotifyMessage, 0, action.plug ? kDriveAdd : kDriveRemoved);
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

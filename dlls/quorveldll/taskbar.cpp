#include "taskbar.h"

#include <windows.h>

#include <algorithm>
#include <cstdint>
#include <string>
#include <vector>

namespace qvdll {

namespace {

// Windows of the shell, found afresh on each call: the shell may have restarted.
struct ShellWindows {
    std::vector<HWND> trays;          // "Shell_TrayWnd" and "Shell_SecondaryTrayWnd"
    std::vector<HWND> startButtons;   // top-level "Button" windows titled "Start"
};

bool ClassIs(HWND window, const char* name) {
    char buffer[64] = "";
    return GetClassNameA(window, buffer, sizeof buffer) > 0 && lstrcmpiA(buffer, name) == 0;
}

bool TitleIs(HWND window, const char* title) {
    char buffer[64] = "";
    GetWindowTextA(window, buffer, sizeof buffer);
    return lstrcmpiA(buffer, title) == 0;
}

BOOL CALLBACK Collect(HWND window, LPARAM data) {
    auto& found = *reinterpret_cast<ShellWindows*>(data);
    if (ClassIs(window, "Shell_TrayWnd") || ClassIs(window, "Shell_SecondaryTrayWnd"))
        found.trays.push_back(window);
    else if (ClassIs(window, "Button") && TitleIs(window, "Start"))
        found.startButtons.push_back(window);
    return TRUE;
}

ShellWindows Find() {
    ShellWindows found;
    EnumWindows(Collect, reinterpret_cast<LPARAM>(&found));
    return found;
}

// The Start button inside a task bar, where the system has one there: a child of class
// "Start", or a "Button" child titled "Start".
std::vector<HWND> StartChildren(HWND tray) {
    std::vector<HWND> children;
    for (HWND child = FindWindowExA(tray, nullptr, nullptr, nullptr); child;
         child = FindWindowExA(tray, child, nullptr, nullptr)) {
        if (ClassIs(child, "Start") || (ClassIs(child, "Button") && TitleIs(child, "Start"))) children.push_back(child);
    }
    return children;
}

bool IsShellWindow(HWND window) {
    return ClassIs(window, "Shell_TrayWnd") || ClassIs(window, "Shell_SecondaryTrayWnd") || ClassIs(window, "Start") ||
           (ClassIs(window, "Button") && TitleIs(window, "Start"));
}

// Windows of another process are changed without waiting for it: a hung shell must not
// hang the lock screen.
void Show(HWND window, bool visible) {
    int command = visible ? SW_SHOWNA : SW_HIDE;
    if (GetWindowThreadProcessId(window, nullptr) == GetCurrentThreadId())
        ShowWindow(window, command);
    else
        ShowWindowAsync(window, command);
}

// The windows this process has hidden, in the order hidden.
std::vector<HWND> hidden;

// The registry note: each handle as eight little-endian bytes. A damaged note (a length that
// is not a whole number of handles) names nothing.
constexpr const char* kHiddenNote = "HiddenWindows";

std::vector<HWND> ReadNote(qv::PolicyRegistry& registry) {
    std::vector<HWND> windows;
    std::optional<qv::RegValue> note = registry.read(qv::kSavedPolicyRoot, qv::kSavedPolicyKey, kHiddenNote);
    if (!note || note->type != qv::kRegBinary || note->data.size() % 8 != 0) return windows;
    for (std::size_t at = 0; at < note->data.size(); at += 8) {
        std::uint64_t value = 0;
        for (int i = 7; i >= 0; --i) value = (value << 8) | static_cast<unsigned char>(note->data[at + i]);
        windows.push_back(reinterpret_cast<HWND>(static_cast<std::uintptr_t>(value)));
    }
    return windows;
}

bool WriteNote(qv::PolicyRegistry& registry, const std::vector<HWND>& windows) {
    std::string data;
    for (HWND window : windows) {
        auto value = static_cast<std::uint64_t>(reinterpret_cast<std::uintptr_t>(window));
        for (int i = 0; i < 8; ++i) data += static_cast<char>((value >> (8 * i)) & 0xFF);
    }
    return registry.write(qv::kSavedPolicyRoot, qv::kSavedPolicyKey, kHiddenNote, {qv::kRegBinary, data});
}

void AddOnce(std::vector<HWND>& list, HWND window) {
    if (std::find(list.begin(), list.end(), window) == list.end()) list.push_back(window);
}

// Shows the noted windows that are still shell windows (a handle may have been reused since)
// and forgets them.
void ShowNoted(qv::PolicyRegistry& registry, std::vector<HWND> windows) {
    for (HWND window : windows)
        if (IsWindow(window) && IsShellWindow(window)) Show(window, true);
    hidden.clear();
    registry.remove(qv::kSavedPolicyRoot, qv::kSavedPolicyKey, kHiddenNote);
}

}  // namespace

void HideTaskbars(qv::PolicyRegistry& registry) {
    ShellWindows found = Find();
    std::vector<HWND> toHide;
    for (HWND tray : found.trays) {
        // Before their task bar: a child of a hidden window never counts as visible.
        for (HWND child : StartChildren(tray)) toHide.push_back(child);
        toHide.push_back(tray);
    }
    toHide.insert(toHide.end(), found.startButtons.begin(), found.startButtons.end());
    std::erase_if(toHide, [](HWND window) { return !IsWindowVisible(window); });
    if (toHide.empty()) return;

    // Noted before hidden: a crash in between leaves a note, never a task bar nobody shows.
    std::vector<HWND> noted = ReadNote(registry);
    for (HWND window : hidden) AddOnce(noted, window);
    for (HWND window : toHide) AddOnce(noted, window);
    WriteNote(registry, noted);
    for (HWND window : toHide) {
        AddOnce(hidden, window);
        Show(window, false);
    }
}

void ShowTaskbars(qv::PolicyRegistry& registry) {
    std::vector<HWND> windows = hidden;
    for (HWND window : ReadNote(registry)) AddOnce(windows, window);
    ShowNoted(registry, windows);
}

void RepairTaskbars(qv::PolicyRegistry& registry) {
    if (hidden.empty()) ShowNoted(registry, ReadNote(registry));
}

}  // namespace qvdll

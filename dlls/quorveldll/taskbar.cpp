#include "taskbar.h"

#include <windows.h>

#include <algorithm>
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

// Start buttons that were visible when hidden: only those are shown again. Task bars are
// always visible in normal use, so they are shown again whether hidden here or not (after a
// crash, too).
std::vector<HWND> hiddenButtons;

// Windows of another process are changed without waiting for it: a hung shell must not
// hang the lock screen.
void Show(HWND window, bool visible) {
    int command = visible ? SW_SHOWNA : SW_HIDE;
    if (GetWindowThreadProcessId(window, nullptr) == GetCurrentThreadId())
        ShowWindow(window, command);
    else
        ShowWindowAsync(window, command);
}

void HideRemembered(HWND button) {
    if (!IsWindowVisible(button)) return;
    if (std::find(hiddenButtons.begin(), hiddenButtons.end(), button) == hiddenButtons.end())
        hiddenButtons.push_back(button);
    Show(button, false);
}

}  // namespace

void HideTaskbars() {
    ShellWindows found = Find();
    for (HWND tray : found.trays) {
        // Before their task bar: a child of a hidden window never counts as visible.
        for (HWND child : StartChildren(tray)) HideRemembered(child);
        Show(tray, false);
    }
    for (HWND button : found.startButtons) HideRemembered(button);
}

void ShowTaskbars() {
    ShellWindows found = Find();
    for (HWND tray : found.trays) Show(tray, true);
    for (HWND button : hiddenButtons)
        if (IsWindow(button)) Show(button, true);
    hiddenButtons.clear();
}

}  // namespace qvdll

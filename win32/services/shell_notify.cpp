#include "services/shell_notify.h"

#include <dbt.h>
#include <shlobj.h>

#include <cstdio>

#include "app/program_strings.h"
#include "services/win_services.h"
#include "usbkey/drive_events.h"
#include "ui/form_host.h"

namespace qv::win {

namespace {

constexpr const char* kOldProcProperty = "OldWndProc";
constexpr const char* kOwnerProperty = "ObjectPtr";

std::function<void(std::int32_t)>& Handler() {
    static std::function<void(std::int32_t)> handler;
    return handler;
}

// Forwards only while notifications are requested, as the shell itself would.
const ShellDriveNotifications*& Active() {
    static const ShellDriveNotifications* active = nullptr;
    return active;
}

LRESULT CALLBACK NotifyWndProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    auto old = reinterpret_cast<WNDPROC>(GetPropA(hwnd, kOldProcProperty));
    if (message == WM_DESTROY) {
        if (old) CallWindowProcA(old, hwnd, message, wParam, lParam);
        UnsubclassWindow(hwnd);
        return 0;
    }
    const bool listening = Active() && Active()->registered() && Handler();
    if (message == kShellNotifyMessage) {
        // wParam points at the two item lists; only the event id decides, they are never read.
        if (listening) Handler()(static_cast<std::int32_t>(lParam));
        // Not passed on: to the dialog procedure 0x401 is DM_SETDEFID.
        return 0;
    }
    // The system's own volume broadcasts reach every top-level window, whatever its rights
    // and the shell's: the same handler takes them, as a notice posted to this window. The
    // broadcast is sent, and its sender (the system, for every window in turn) waits for the
    // answer: it must not wait while the lock screen opens or closes.
    if (message == WM_DEVICECHANGE && (wParam == DBT_DEVICEARRIVAL || wParam == DBT_DEVICEREMOVECOMPLETE) && listening) {
        auto header = reinterpret_cast<const DEV_BROADCAST_HDR*>(lParam);
        if (header && header->dbch_devicetype == DBT_DEVTYP_VOLUME)
            PostMessageA(hwnd, kShellNotifyMessage, 0, wParam == DBT_DEVICEARRIVAL ? kDriveAdded : kDriveRemoved);
    }
    return old ? CallWindowProcA(old, hwnd, message, wParam, lParam) : DefWindowProcA(hwnd, message, wParam, lParam);
}


// An elevated window gets no message from 0x400 up from the shell, which runs with the user's
// rights, unless it lets the message through. The calls exist from Windows Vista (process-wide)
// and 7 (per window) on, so they are looked up.
void AllowShellNotice(HWND hwnd) {
    HMODULE user32 = GetModuleHandleA("user32.dll");
    using PerWindowFn = BOOL(WINAPI*)(HWND, UINT, DWORD, void*);
    using ProcessFn = BOOL(WINAPI*)(UINT, DWORD);
    constexpr DWORD kAllow = 1;   // MSGFLT_ALLOW / MSGFLT_ADD
    if (auto perWindow = reinterpret_cast<PerWindowFn>(
            reinterpret_cast<void*>(GetProcAddress(user32, "ChangeWindowMessageFilterEx")))) {
        perWindow(hwnd, kShellNotifyMessage, kAllow, nullptr);
    } else if (auto process = reinterpret_cast<ProcessFn>(
                   reinterpret_cast<void*>(GetProcAddress(user32, "ChangeWindowMessageFilter")))) {
        process(kShellNotifyMessage, kAllow);
    }
}

}  // namespace

bool SubclassWindow(Context& ctx, HWND hwnd, WNDPROC newProc, void* owner) {
    if (GetPropA(hwnd, kOldProcProperty)) return true;
    SetLastError(0);
    auto previous = reinterpret_cast<WNDPROC>(SetWindowLongPtrA(hwnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(newProc)));
    DWORD error = GetLastError();
    bool ok = previous != nullptr && SetPropA(hwnd, kOldProcProperty, reinterpret_cast<HANDLE>(previous));
    if (ok && owner) ok = SetPropA(hwnd, kOwnerProperty, owner) != 0;
    if (ok) return true;
    if (!error) error = GetLastError();
    if (previous) SetWindowLongPtrA(hwnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(previous));
    char handle[32];
    std::snprintf(handle, sizeof handle, "%llX", static_cast<unsigned long long>(reinterpret_cast<std::uintptr_t>(hwnd)));
    ctx.message(std::string("Error subclassing window &H") + handle + "\r\n\r\nErr# " + std::to_string(error) + ": " +
                    ErrorText(error),
                kAppTitle, MB_OK | MB_ICONEXCLAMATION);
    return false;
}

bool UnsubclassWindow(HWND hwnd) {
    auto old = reinterpret_cast<WNDPROC>(GetPropA(hwnd, kOldProcProperty));
    if (!old || !SetWindowLongPtrA(hwnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(old))) return false;
    RemovePropA(hwnd, kOldProcProperty);
    RemovePropA(hwnd, kOwnerProperty);
    return true;
}

void ShellDriveNotifications::setHandler(std::function<void(std::int32_t)> handler) {
    Handler() = std::move(handler);
    Active() = this;
}

bool ShellDriveNotifications::subclassWindow() {
    HWND main = FormHostOf().mainWindow();
    if (!main || !SubclassWindow(ctx_, main, NotifyWndProc)) return false;
    AllowShellNotice(main);
    return true;
}

bool ShellDriveNotifications::registerDriveNotify() {
    if (notifyId_ != 0) return false;
    HWND main = FormHostOf().mainWindow();
    if (desktopList_) CoTaskMemFree(desktopList_);
    desktopList_ = nullptr;
    LPITEMIDLIST desktop = nullptr;
    if (FAILED(SHGetSpecialFolderLocation(nullptr, CSIDL_DESKTOP, &desktop)) || !desktop) return false;
    desktopList_ = desktop;
    using RegisterFn = ULONG(WINAPI*)(HWND, int, LONG, UINT, int, const SHChangeNotifyEntry*);
    auto registerFn = reinterpret_cast<RegisterFn>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleA("shell32.dll"), MAKEINTRESOURCEA(2))));
    if (!registerFn) return false;
    SHChangeNotifyEntry entry{desktop, TRUE};
    notifyId_ = registerFn(main, 0xFF, 0x180, kShellNotifyMessage, 1, &entry);
    return notifyId_ != 0;
}

bool ShellDriveNotifications::unregisterDriveNotify() {
    if (notifyId_ == 0) return false;
    using DeregisterFn = BOOL(WINAPI*)(ULONG);
    auto deregisterFn = reinterpret_cast<DeregisterFn>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleA("shell32.dll"), MAKEINTRESOURCEA(4))));
    if (!deregisterFn || !deregisterFn(notifyId_)) return false;
    notifyId_ = 0;
    CoTaskMemFree(desktopList_);
    desktopList_ = nullptr;
    return true;
}

}  // namespace qv::win

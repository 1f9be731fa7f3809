// The shell's drive notifications for the main window: the window procedure replaced so
// that message 0x401 reaches the main window's handler, and the request to the shell.
#pragma once

#include <windows.h>

#include <cstdint>
#include <functional>

#include "app/context.h"

namespace qv::win {

constexpr UINT kShellNotifyMessage = WM_USER + 1;   // 0x401

class ShellDriveNotifications : public DriveNotifications {
public:
    explicit ShellDriveNotifications(Context& ctx) : ctx_(ctx) {}
    // The main window's handler for each notification's event id.
    void setHandler(std::function<void(std::int32_t)> handler);

    bool subclassWindow() override;
    bool registerDriveNotify() override;
    bool unregisterDriveNotify() override;
    bool registered() const { return notifyId_ != 0; }

private:
    Context& ctx_;
    ULONG notifyId_ = 0;
    void* desktopList_ = nullptr;
};

// SubclassWindow and UnsubclassWindow: the window's procedure replaced, the previous one kept
// in the window property "OldWndProc" (and the owner, when given, in "ObjectPtr").
bool SubclassWindow(Context& ctx, HWND hwnd, WNDPROC newProc, void* owner = nullptr);
bool UnsubclassWindow(HWND hwnd);

}  // namespace qv::win

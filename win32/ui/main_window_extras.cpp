// The main window's status bar, made at run time below the frames.
#include <windows.h>

#include <commctrl.h>

#include "resources/resource_ids.h"
#include "ui/dialog_view.h"
#include "ui/form_extras.h"

namespace qv::win {

namespace {

void PrepareMain(DialogView& view) {
    HWND hwnd = view.hwnd();
    HWND status = CreateWindowExA(0, STATUSCLASSNAMEA, "", WS_CHILD | WS_VISIBLE, 0, 0, 0, 0, hwnd,
                                  reinterpret_cast<HMENU>(static_cast<INT_PTR>(IDC_StatusBar)),
                                  GetModuleHandleA(nullptr), nullptr);
    RECT bar{}, window{};
    GetWindowRect(status, &bar);
    GetWindowRect(hwnd, &window);
    SetWindowPos(hwnd, nullptr, 0, 0, window.right - window.left, window.bottom - window.top + (bar.bottom - bar.top),
                 SWP_NOMOVE | SWP_NOZORDER);
    SendMessageA(status, WM_SIZE, 0, 0);
}

const FormExtrasRegistration registration("frmMain", FormExtras{PrepareMain, nullptr});

}  // namespace

}  // namespace qv::win

// The password dialogs: client size from the keyboard layout, masked fields of at most
// 50 characters, and a mouse click on a field reported to the form as click("txtPassword"),
// which is how frmSetPassword chooses the field its keys type into (Tab does not).
#include <windows.h>

#include <commctrl.h>

#include "password/keyboard.h"
#include "password/password_forms.h"
#include "resources/resource_ids.h"
#include "ui/control_names.h"
#include "ui/dialog_view.h"
#include "ui/form_extras.h"

namespace qv::win {

namespace {

// Sent by a field to its dialog when the mouse clicks it; wParam is the field's id.
constexpr UINT kFieldClicked = WM_APP + 0x51;
constexpr UINT_PTR kSubclassId = 0x5157;

LRESULT CALLBACK FieldProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR, DWORD_PTR) {
    if (message == WM_LBUTTONDOWN) {
        SendMessageA(GetParent(hwnd), kFieldClicked, static_cast<WPARAM>(GetDlgCtrlID(hwnd)), 0);
    } else if (message == WM_NCDESTROY) {
        RemoveWindowSubclass(hwnd, FieldProc, kSubclassId);
    }
    return DefSubclassProc(hwnd, message, wParam, lParam);
}

void SizeClientArea(HWND hwnd, int widthTwips, int heightTwips) {
    RECT r{0, 0, TwipsToPixels(widthTwips), TwipsToPixels(heightTwips)};
    AdjustWindowRectEx(&r, static_cast<DWORD>(GetWindowLongA(hwnd, GWL_STYLE)), FALSE,
                       static_cast<DWORD>(GetWindowLongA(hwnd, GWL_EXSTYLE)));
    SetWindowPos(hwnd, nullptr, 0, 0, r.right - r.left, r.bottom - r.top, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void PrepareFields(DialogView& view) {
    for (int id : {IDC_txtPassword, IDC_txtPassword2}) {
        HWND field = GetDlgItem(view.hwnd(), id);
        if (!field) continue;
        SendMessageA(field, EM_SETPASSWORDCHAR, '*', 0);
        SendMessageA(field, EM_LIMITTEXT, kPasswordMaxLength, 0);
        SetWindowSubclass(field, FieldProc, kSubclassId, 0);
    }
}

void PreparePassword(DialogView& view) {
    SizeClientArea(view.hwnd(), kPasswordDialogWidth, kPasswordDialogHeight);
    view.centreOnScreen();
    PrepareFields(view);
}

void PrepareSetPassword(DialogView& view) {
    SizeClientArea(view.hwnd(), kSetPasswordDialogWidth, kSetPasswordDialogHeight);
    view.centreOnScreen();
    PrepareFields(view);
}

bool FieldMessage(DialogView& view, UINT message, WPARAM wParam, LPARAM, INT_PTR& result) {
    if (message != kFieldClicked) return false;
    const std::string& name = ControlName(static_cast<int>(wParam));
    if (!name.empty()) view.form().click(name);
    result = TRUE;
    return true;
}

const FormExtrasRegistration passwordRegistration("frmPassword", FormExtras{PreparePassword, FieldMessage});
const FormExtrasRegistration setPasswordRegistration("frmSetPassword", FormExtras{PrepareSetPassword, FieldMessage});

}  // namespace

}  // namespace qv::win

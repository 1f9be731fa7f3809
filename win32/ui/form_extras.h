// Per-window additions to the plain dialog views: controls made at run time (status bar,
// list view), drawing, and messages a window handles beyond the common ones. Each window
// that needs any registers them once, from its own file, with QV_FORM_EXTRAS.
#pragma once

#include <windows.h>

#include <string>

namespace qv::win {

class DialogView;

struct FormExtras {
    // After the window exists, before the form's load handler.
    void (*prepare)(DialogView& view) = nullptr;
    // Any message; return true when handled, with the dialog procedure's result in `result`.
    bool (*message)(DialogView& view, UINT message, WPARAM wParam, LPARAM lParam, INT_PTR& result) = nullptr;
};

void RegisterFormExtras(const std::string& formName, FormExtras extras);
const FormExtras* FindFormExtras(const std::string& formName);

struct FormExtrasRegistration {
    FormExtrasRegistration(const char* formName, FormExtras extras) { RegisterFormExtras(formName, extras); }
};

}  // namespace qv::win

// Shows forms as dialogs made from resource templates, and runs the message loop.
#pragma once

#include <windows.h>

#include <memory>
#include <vector>

#include "app/form.h"
#include "ui/dialog_view.h"

namespace qv::win {

class Win32FormHost : public FormHost {
public:
    void showModal(Form& form) override;
    void showModeless(Form& form) override;

    // Keeps a hidden window of `form` made ahead, so that showing the form needs no window
    // to be made (the lock screen must cover the desktop at once). Made when the message loop
    // next runs, and again each time the form's window has gone.
    void keepSpare(Form& form);
    void discardSpare();

    // Runs until no modeless window is left.
    void runMessageLoop();
    // Lets pending messages run (the program's DoEvents).
    void pumpPending();

    // Called by the views.
    void prepare(DialogView& view);
    void released(DialogView& view);
    INT_PTR paint(DialogView& view, UINT message, WPARAM wParam, LPARAM lParam);

    HWND mainWindow() const;

private:
    bool dispatchToDialog(MSG& msg);
    void scheduleSpare();
    static void CALLBACK MakeSpare(HWND, UINT, UINT_PTR timer, DWORD);
    // The spare window of `form`, taken from the host; null when there is none.
    std::unique_ptr<DialogView> takeSpare(Form& form);

    std::vector<DialogView*> modeless_;
    std::vector<std::unique_ptr<DialogView>> views_;
    bool loopRunning_ = false;
    HFONT linkFont_ = nullptr;
    Form* spareForm_ = nullptr;
    std::unique_ptr<DialogView> spare_;
};

Win32FormHost& FormHostOf();

// The main window's class name, which the shell notifications and tools look for.
inline constexpr const char* kMainWindowClass = "QuorvelMainWindow";
void RegisterMainWindowClass(HINSTANCE instance);

}  // namespace qv::win

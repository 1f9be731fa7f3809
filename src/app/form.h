// A window's behaviour: the event handlers of one form, written against its View.
#pragma once

#include <string>

#include "app/view.h"

namespace qv {

class Form {
public:
    virtual ~Form() = default;
    // The form's design name ("frmMain"); the Win32 layer picks the template by it.
    virtual const char* name() const = 0;

    // Form_Load: runs once the window exists, before it is shown.
    virtual void load() {}
    // Readies a window made ahead of its use while it is still hidden. load() follows when
    // the form is shown and must come to the same window without it.
    virtual void dress() {}
    // Form_Activate.
    virtual void activate() {}
    // Form_Unload: runs on every unload, whoever closes the window.
    virtual void unload() {}
    // The user asked to close the window from its title bar.
    virtual void closeRequested() { view().close(); }
    // Esc on a window without a Cancel button.
    virtual void escapePressed() { closeRequested(); }
    virtual void click(const std::string& control) {}
    // A text box's or combo box's text changed (typed, pasted or set by the program).
    virtual void change(const std::string& control) {}
    virtual void timer(const std::string& timer) {}

    void attach(View* view) { view_ = view; }
    bool attached() const { return view_ != nullptr; }
    View& view() const { return *view_; }

private:
    View* view_ = nullptr;
};

// Shows forms. showModal returns when the window has closed; showModeless returns at once.
// Both create the window, attach the view and run load() before showing it; a form
// whose load() closed its own view is not shown.
class FormHost {
public:
    virtual ~FormHost() = default;
    virtual void showModal(Form& form) = 0;
    virtual void showModeless(Form& form) = 0;
};

}  // namespace qv

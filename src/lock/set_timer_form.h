// frmSetTimer: the lock-duration dialog, where the user picks 1 to 24 hours.
#pragma once

#include "app/context.h"

namespace qv {

class SetTimerForm : public Form {
public:
    explicit SetTimerForm(Context& ctx) : ctx_(ctx) {}
    const char* name() const override { return "frmSetTimer"; }

    void load() override;
    void click(const std::string& control) override;

private:
    void confirm();

    Context& ctx_;
};

// Shows the lock-duration dialog modally (the main window's and the settings dialogs'
// Set Duration buttons).
void ShowSetTimerDialog(Context& ctx);

}  // namespace qv

// frmSelectUSBLock: lets the user say which of several attached USB storage devices is
// the key. Confirming a device sets SelectedUSBKeyId; Cancel leaves it as it was.
#pragma once

#include "app/form.h"

namespace qv {

class Context;
class ListView;

class SelectUsbLockForm : public Form {
public:
    explicit SelectUsbLockForm(Context& ctx) : ctx_(ctx) {}
    const char* name() const override { return "frmSelectUSBLock"; }

    void load() override;
    void click(const std::string& control) override;
    void timer(const std::string& timer) override;

    // Icons of ImageList1.
    enum Icon { kIconComplete = 1, kIconIncomplete = 2 };
    static constexpr int kColumnCount = 7;
    static constexpr unsigned kTimerIntervalMs = 100;

private:
    void fillList();
    void confirm();
    ListView* list();

    Context& ctx_;
};

}  // namespace qv

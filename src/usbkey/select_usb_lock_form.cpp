#include "usbkey/select_usb_lock_form.h"

#include <stdexcept>

#include "app/context.h"
#include "app/text.h"

namespace qv {

namespace {

struct ColumnSpec {
    std::uint32_t licId;   // 0: no header text
    const char* builtIn;
    int widthTwips;
};
constexpr ColumnSpec kColumns[SelectUsbLockForm::kColumnCount] = {
    {549, "Valid USB", 1588},
    {534, "USB Serial Number", 4763},
    {535, "USB Brand Name", 3175},
    {536, "USB Model", 3175},
    {537, "USB Vendor ID", 0},   // hidden, stays empty
    {538, "USB Product ID", 0},  // hidden, stays empty
    {0, "", 0},                  // hidden: the device's index in the device list
};
constexpr int kColSerial = 2;
constexpr int kColIndex = 7;

// The caption stored with the window shows where the string library gives no text.
std::string OrBuiltIn(const std::string& text, const char* builtIn) { return text.empty() ? builtIn : text; }

bool IsComplete(const UsbDeviceList& list, int i) {
    return !Trim(list.vendorId[i]).empty() && !Trim(list.productId[i]).empty() && !Trim(list.serial[i]).empty();
}

// The row number in column 7 as a 16-bit value, as the dialog always kept it.
int RowIndex(const std::string& text) {
    std::string t = Trim(text);
    if (t.empty()) return 0;
    int value = 0;
    if (!ParseInt16(t, value)) throw std::overflow_error("Overflow");
    return value;
}

}  // namespace

ListView* SelectUsbLockForm::list() { return view().listView("ListView1"); }

void SelectUsbLockForm::load() {
    View& v = view();
    v.setCaption("", OrBuiltIn(ctx_.lic(533), "Select USB Serial Number"));
    v.setCaption("lbDesc", OrBuiltIn(ctx_.lang(564),
                                     "There are more than 1 USB Storage Device detected, please select the correct "
                                     "USB Storage Device Serial Number for the Quorvel locking process."));
    v.setCaption("lbNote", OrBuiltIn(ctx_.lang(565),
                                     "Note : Once the USB Storage Device Serial Number is selected for the Quorvel "
                                     "locking process, this computer can only be unlock by this USB Storage Device "
                                     "Serial Number."));
    v.setCaption("cmdOk", OrBuiltIn(ctx_.lic(100), "OK"));
    v.setCaption("cmdCancel", OrBuiltIn(ctx_.lic(115), "Cancel"));
    ctx_.applyFontRule(v, {"lbDesc", "lbNote", "cmdOk", "cmdCancel"});
    if (ListView* lv = list()) {
        lv->setCharset(ctx_.charset());
        for (const ColumnSpec& col : kColumns)
            lv->addColumn(col.licId ? OrBuiltIn(ctx_.lic(col.licId), col.builtIn) : std::string(), col.widthTwips);
    }
    // The skinning component is not part of this build, so the list view is not handed to it.
    v.setTimer("Timer1", true, kTimerIntervalMs);
}

void SelectUsbLockForm::timer(const std::string& name) {
    if (name != "Timer1") return;
    view().setTimer("Timer1", false, kTimerIntervalMs);
    ctx_.services().desktop.setBusyCursor(false);
    if (ctx_.globals().usbDevices.upperBound() < 2) {
        view().close();   // nothing to choose
        return;
    }
    fillList();
}

void SelectUsbLockForm::fillList() {
    ListView* lv = list();
    if (!lv) return;
    const UsbDeviceList& devices = ctx_.globals().usbDevices;
    const int n = devices.upperBound();
    // Complete devices first, then the incomplete ones, each group in list order.
    for (bool completePass : {true, false}) {
        for (int i = 1; i <= n; ++i) {
            if (IsComplete(devices, i) != completePass) continue;
            std::string serial = completePass
                                     ? devices.serial[i] + "/" + devices.vendorId[i] + "/" + devices.productId[i]
                                     : std::string();
            lv->addRow(completePass ? kIconComplete : kIconIncomplete,
                       {"", serial, devices.manufacturer[i], devices.product[i], "", "", std::to_string(i)});
        }
    }
}

void SelectUsbLockForm::click(const std::string& control) {
    if (control == "cmdCancel") {
        view().close();
    } else if (control == "cmdOk") {
        try {
            confirm();
        } catch (const std::exception& e) {
            ctx_.message(std::string("Error: ") + e.what(), "Error - frmSelectUSB.OK", MbIconCritical);
        }
    }
}

void SelectUsbLockForm::confirm() {
    ListView* lv = list();
    int row = lv ? lv->selectedRow() : 0;
    if (row < 1) {
        ctx_.message(ctx_.lic(541), ctx_.lic(300), MbIconExclamation);
        return;
    }
    if (Trim(lv->cell(row, kColSerial)).empty()) {
        ctx_.message(ctx_.lic(542), ctx_.lic(300), MbIconCritical);
        return;
    }
    std::string indexText = lv->cell(row, kColIndex);
    if (!IsAllDigits(indexText)) {
        ctx_.message(ctx_.lic(545), ctx_.lic(301), MbIconCritical);
        return;
    }
    if (ctx_.message(ctx_.lang(566), ctx_.lic(300), MbYesNo | MbIconExclamation) == IdNo) return;
    int k = RowIndex(indexText);
    UsbDeviceList& devices = ctx_.globals().usbDevices;
    if (k <= devices.upperBound()) ctx_.globals().selectedUSBKeyId = devices.keyId(k);
    view().close();
}

}  // namespace qv

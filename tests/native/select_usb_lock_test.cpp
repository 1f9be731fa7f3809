#include <gtest/gtest.h>

#include "fakes.h"
#include "usbkey/select_usb_lock_form.h"
#include "usbkey/usb_devices.h"

using namespace qv;
using namespace qv::test;

namespace {

using Devices = std::vector<std::vector<std::string>>;
using Cells = std::vector<std::string>;
const Devices kThree{{"0951", "1642", "001372", "Maker A", "Stick A"},
                     {"058F", "6387", "", "Maker B", "Stick B"},
                     {"0781", "5567", "00AB", "Maker C", "Stick C"}};

// The dialog loaded on a FakeView, as the host would, with the given devices listed.
struct Dialog {
    FakeWorld w;
    SelectUsbLockForm form{w.ctx};
    FakeView view;

    explicit Dialog(const Devices& devices = kThree, bool withStrings = true) {
        if (withStrings)
            w.loadStrings({{566, "Sure?"}}, {{534, "Serial"}, {541, "Nothing selected"}, {542, "No serial"},
                                             {545, "Bad row"}, {300, "Title300"}, {301, "Title301"}});
        w.usbSerial.setDevices(devices);
        ReadUSBDevices(w.ctx);
        form.attach(&view);
        form.load();
        selected() = "before";
    }
    FakeListView& list() { return view.listViews["ListView1"]; }
    std::string& selected() { return w.ctx.globals().selectedUSBKeyId; }
    void choose(int row) {
        list().selected = row;
        form.click("cmdOk");
    }
};

}  // namespace

TEST(SelectUsbLock, LoadHidesTheLastThreeColumnsAndWaitsForTheFirstTick) {
    Dialog d, builtIn(kThree, false);   // built-in texts where the libraries give none
    EXPECT_EQ(d.list().columns[1].header, "Serial");
    EXPECT_EQ(builtIn.list().columns[1].header, "USB Serial Number");
    ASSERT_EQ(d.list().columns.size(), 7u);
    for (std::size_t i = 0; i < 7; ++i) EXPECT_EQ(d.list().columns[i].width == 0, i >= 4) << i;
    EXPECT_TRUE(d.view.timerEnabled("Timer1"));
    EXPECT_TRUE(d.list().rows.empty());
}

TEST(SelectUsbLock, FirstTickListsCompleteDevicesFirstOrClosesWithFewerThanTwo) {
    Dialog d;
    d.w.desktop.busy = true;
    d.form.timer("Timer1");
    EXPECT_FALSE(d.view.timerEnabled("Timer1") || d.w.desktop.busy);
    EXPECT_TRUE(d.view.isOpen());
    const std::pair<int, Cells> rows[] = {
        {SelectUsbLockForm::kIconComplete, {"", "001372/0951/1642", "Maker A", "Stick A", "", "", "1"}},
        {SelectUsbLockForm::kIconComplete, {"", "00AB/0781/5567", "Maker C", "Stick C", "", "", "3"}},
        {SelectUsbLockForm::kIconIncomplete, {"", "", "Maker B", "Stick B", "", "", "2"}}};
    ASSERT_EQ(d.list().rows.size(), 3u);
    for (int i = 0; i < 3; ++i) EXPECT_EQ(std::pair(d.list().rows[i].icon, d.list().rows[i].cells), rows[i]) << i;
    for (const Devices& devices : {Devices{}, Devices{{"0951", "1642", "001372"}}}) {
        Dialog few(devices);
        few.form.timer("Timer1");
        EXPECT_FALSE(few.view.isOpen());
        EXPECT_TRUE(few.list().rows.empty() && few.selected() == "before");
    }
}

TEST(SelectUsbLock, OkChecksAndDamagedRowLinks) {
    // link: replaces the list with one row of this link when set; the flags count only for the listed rows.
    struct Case { const char* name; std::string link; int row; std::vector<int> answers; std::string text, title;
                  unsigned flags; bool open; std::string selected; } cases[] = {
        {"no row selected", "", 0, {}, "Nothing selected", "Title300", MbIconExclamation, true, "before"},
        {"incomplete device", "", 3, {}, "No serial", "Title300", MbIconCritical, true, "before"},
        {"confirmation refused", "", 2, {IdNo}, "Sure?", "Title300", MbYesNo | MbIconExclamation, true, "before"},
        {"confirmed", "", 2, {IdYes}, "Sure?", "Title300", MbYesNo | MbIconExclamation, false, "0781556700AB"},
        {"link not a number", "2a", 1, {}, "Bad row", "Title301", 0, true, "before"},
        {"negative link", "-1", 1, {}, "Bad row", "Title301", 0, true, "before"},
        {"link beyond the list", "9", 1, {}, "Sure?", "Title300", 0, false, "before"},
        {"link too big", "99999999999", 1, {}, "Error: Overflow", "Error - frmSelectUSB.OK", 0, true, "before"},
    };
    for (const Case& c : cases) {
        Dialog d;
        if (c.link.empty()) d.form.timer("Timer1");
        else d.list().rows.push_back({1, Cells{"", "S/V/P", "", "", "", "", c.link}});
        d.w.messages.answers = c.answers;
        d.choose(c.row);
        ASSERT_FALSE(d.w.messages.shown.empty()) << c.name;
        const ShownMessage& m = d.w.messages.last();
        EXPECT_EQ(m.title + "|" + m.text, c.title + "|" + c.text) << c.name;
        EXPECT_TRUE(!c.link.empty() || (m.flags == c.flags && d.w.messages.shown.size() == 1u)) << c.name;
        EXPECT_EQ(d.view.isOpen(), c.open) << c.name;
        EXPECT_EQ(d.selected(), c.selected) << c.name;
    }
}

TEST(SelectUsbLock, CancelAndTitleBarCloseChangeNothing) {
    for (bool cancel : {true, false}) {
        Dialog d;
        d.form.timer("Timer1");
        d.list().selected = 1;
        if (cancel) d.form.click("cmdCancel");
        else d.form.closeRequested();
        EXPECT_FALSE(d.view.isOpen()) << cancel;
        EXPECT_EQ(d.selected(), "before") << cancel;
        EXPECT_TRUE(d.w.messages.shown.empty()) << cancel;
    }
}

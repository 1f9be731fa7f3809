#include <gtest/gtest.h>

#include "fakes.h"
#include "usbkey/select_usb_lock_form.h"
#include "usbkey/usb_devices.h"

using namespace qv;
using namespace qv::test;

namespace {

// Opens the dialog on a FakeView, as the host would, with the given devices listed.
struct Dialog {
    FakeWorld w;
    SelectUsbLockForm form{w.ctx};
    FakeView view;

    explicit Dialog(const std::vector<std::vector<std::string>>& devices, bool withStrings = true) {
        if (withStrings) {
            w.loadStrings({{564, "Pick one."}, {565, "Only this one unlocks."}, {566, "Sure?"}},
                          {{533, "Select key"}, {549, "Valid"}, {534, "Serial"}, {535, "Brand"}, {536, "Model"},
                           {537, "VID"}, {538, "PID"}, {100, "OK"}, {115, "Cancel"}, {541, "Nothing selected"},
                           {542, "No serial"}, {545, "Bad row"}, {300, "Title300"}, {301, "Title301"}});
        }
        w.usbSerial.setDevices(devices);
        ReadUSBDevices(w.ctx);
        form.attach(&view);
        form.load();
    }
    FakeListView& list() { return view.listViews["ListView1"]; }
    void tick() { form.timer("Timer1"); }
    void choose(int row) {
        list().selected = row;
        form.click("cmdOk");
    }
    std::string& selected() { return w.ctx.globals().selectedUSBKeyId; }
};

const std::vector<std::vector<std::string>> kThree{
    {"0951", "1642", "001372", "Maker A", "Stick A"},
    {"058F", "6387", "", "Maker B", "Stick B"},
    {"0781", "5567", "00AB", "Maker C", "Stick C"},
};

}  // namespace

TEST(SelectUsbLock, LoadSetsCaptionsFontsColumnsAndStartsTheTimer) {
    Dialog d(kThree);
    EXPECT_EQ(d.view.caption(""), "Select key");
    EXPECT_EQ(d.view.caption("lbDesc"), "Pick one.");
    EXPECT_EQ(d.view.caption("lbNote"), "Only this one unlocks.");
    EXPECT_EQ(d.view.caption("cmdOk"), "OK");
    EXPECT_EQ(d.view.caption("cmdCancel"), "Cancel");
    for (const char* c : {"lbDesc", "lbNote", "cmdOk", "cmdCancel"}) EXPECT_EQ(d.view.c(c).fontSize, 8) << c;
    EXPECT_EQ(d.list().charset, 0);
    std::vector<std::pair<std::string, int>> columns;
    for (auto& c : d.list().columns) columns.push_back({c.header, c.width});
    EXPECT_EQ(columns, (std::vector<std::pair<std::string, int>>{
                           {"Valid", 1588}, {"Serial", 4763}, {"Brand", 3175}, {"Model", 3175},
                           {"VID", 0}, {"PID", 0}, {"", 0}}));
    EXPECT_TRUE(d.view.timerEnabled("Timer1"));
    EXPECT_EQ(d.view.timers["Timer1"].interval, 100u);
    EXPECT_TRUE(d.list().rows.empty());   // filled on the first tick, not on load
}

TEST(SelectUsbLock, BuiltInCaptionsWhereTheLibrariesGiveNoText) {
    Dialog d(kThree, false);
    d.w.ctx.globals().languageId = "0804";
    d.w.ctx.globals().charsetSetting = "134";
    d.form.load();
    EXPECT_EQ(d.view.caption(""), "Select USB Serial Number");
    EXPECT_EQ(d.view.caption("lbDesc").substr(0, 44), "There are more than 1 USB Storage Device det");
    EXPECT_EQ(d.view.caption("lbNote").substr(0, 12), "Note : Once ");
    EXPECT_EQ(d.list().columns[1].header, "USB Serial Number");
    EXPECT_EQ(d.list().columns[5].header, "USB Product ID");
    EXPECT_EQ(d.view.c("cmdOk").fontSize, 9);
    EXPECT_EQ(d.view.c("cmdOk").charset, 134);
    EXPECT_EQ(d.list().charset, 134);
}

TEST(SelectUsbLock, FirstTickListsCompleteDevicesFirst) {
    Dialog d(kThree);
    d.w.desktop.busy = true;
    d.tick();
    EXPECT_FALSE(d.view.timerEnabled("Timer1"));
    EXPECT_FALSE(d.w.desktop.busy);
    ASSERT_EQ(d.list().rows.size(), 3u);
    using Cells = std::vector<std::string>;
    EXPECT_EQ(d.list().rows[0].icon, SelectUsbLockForm::kIconComplete);
    EXPECT_EQ(d.list().rows[0].cells, (Cells{"", "001372/0951/1642", "Maker A", "Stick A", "", "", "1"}));
    EXPECT_EQ(d.list().rows[1].icon, SelectUsbLockForm::kIconComplete);
    EXPECT_EQ(d.list().rows[1].cells, (Cells{"", "00AB/0781/5567", "Maker C", "Stick C", "", "", "3"}));
    EXPECT_EQ(d.list().rows[2].icon, SelectUsbLockForm::kIconIncomplete);
    EXPECT_EQ(d.list().rows[2].cells, (Cells{"", "", "Maker B", "Stick B", "", "", "2"}));
    EXPECT_TRUE(d.view.isOpen());
}

TEST(SelectUsbLock, ClosesItselfWithFewerThanTwoDevices) {
    for (auto devices : {std::vector<std::vector<std::string>>{}, {{"0951", "1642", "001372"}}}) {
        Dialog d(devices);
        d.tick();
        EXPECT_FALSE(d.view.isOpen());
        EXPECT_TRUE(d.list().rows.empty());
        EXPECT_EQ(d.selected(), "");
    }
}

TEST(SelectUsbLock, OkChecks) {
    struct Case {
        const char* name;
        int row;
        std::vector<int> answers;
        std::string text, title;
        unsigned flags;
        bool open;
        std::string selected;
    } cases[] = {
        {"no row selected", 0, {}, "Nothing selected", "Title300", MbIconExclamation, true, "before"},
        {"incomplete device", 3, {}, "No serial", "Title300", MbIconCritical, true, "before"},
        {"confirmation refused", 2, {IdNo}, "Sure?", "Title300", MbYesNo | MbIconExclamation, true, "before"},
        {"third device confirmed", 2, {IdYes}, "Sure?", "Title300", MbYesNo | MbIconExclamation, false,
         "0781556700AB"},
    };
    for (const Case& c : cases) {
        Dialog d(kThree);
        d.tick();
        d.selected() = "before";
        d.w.messages.answers = c.answers;
        d.choose(c.row);
        ASSERT_EQ(d.w.messages.shown.size(), 1u) << c.name;
        EXPECT_EQ(d.w.messages.last().text, c.text) << c.name;
        EXPECT_EQ(d.w.messages.last().title, c.title) << c.name;
        EXPECT_EQ(d.w.messages.last().flags, c.flags) << c.name;
        EXPECT_EQ(d.view.isOpen(), c.open) << c.name;
        EXPECT_EQ(d.selected(), c.selected) << c.name;
        EXPECT_EQ(d.list().selected, c.row) << c.name;
    }
}

TEST(SelectUsbLock, DamagedRowLinks) {
    using Cells = std::vector<std::string>;
    struct Case {
        const char* name;
        std::string link;
        std::string text, title;
        bool open;
        std::string selected;
    } cases[] = {
        {"not a number", "2a", "Bad row", "Title301", true, "before"},
        {"negative", "-1", "Bad row", "Title301", true, "before"},
        {"beyond the list", "9", "Sure?", "Title300", false, "before"},
        {"too big for the row number", "99999999999", "Error: Overflow", "Error - frmSelectUSB.OK", true, "before"},
    };
    for (const Case& c : cases) {
        Dialog d(kThree);
        d.selected() = "before";
        d.list().rows.push_back({1, Cells{"", "S/V/P", "", "", "", "", c.link}});
        d.choose(1);
        EXPECT_EQ(d.w.messages.last().text, c.text) << c.name;
        EXPECT_EQ(d.w.messages.last().title, c.title) << c.name;
        EXPECT_EQ(d.view.isOpen(), c.open) << c.name;
        EXPECT_EQ(d.selected(), c.selected) << c.name;
    }
}

TEST(SelectUsbLock, CancelAndTitleBarCloseChangeNothing) {
    for (const char* how : {"cmdCancel", "title bar"}) {
        Dialog d(kThree);
        d.tick();
        d.list().selected = 1;
        d.selected() = "";
        if (std::string(how) == "cmdCancel") d.form.click("cmdCancel");
        else d.form.closeRequested();
        EXPECT_FALSE(d.view.isOpen()) << how;
        EXPECT_EQ(d.selected(), "") << how;
        EXPECT_TRUE(d.w.messages.shown.empty()) << how;
    }
}

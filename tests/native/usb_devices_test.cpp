#include <gtest/gtest.h>

#include "fakes.h"
#include "usbkey/usb_devices.h"

using namespace qv;
using namespace qv::test;

namespace {

using Entries = std::vector<std::vector<std::string>>;   // vid, pid, serial, manu, prod

Entries EntriesOf(const UsbDeviceList& list) {
    Entries out;
    for (int i = 1; i <= list.upperBound(); ++i)
        out.push_back({list.vendorId[i], list.productId[i], list.serial[i], list.manufacturer[i], list.product[i]});
    return out;
}

std::string Box(const std::string& text) { return FakeMessageBoxes::box(kAppTitle, text, MbIconCritical); }

const std::string kKeyRecord = "<vid>0951</vid><pid>1642</pid><serial>001372</serial></device>";

}  // namespace

TEST(UsbDeviceText, EdgeCases) {
    struct Case { const char* name; std::string text; Entries entries; } cases[] = {
        {"one record without names", kKeyRecord, {{"0951", "1642", "001372", "", ""}}},
        {"two records and trailing text",
         kKeyRecord + "<vid>0781</vid><pid>5567</pid><serial>AB</serial><manu>M</manu><prod>P</prod></device>"
                      "<vid>dead</vid>",
         {{"0951", "1642", "001372", "", ""}, {"0781", "5567", "AB", "M", "P"}}},
        {"closing tag before opening tag", "</vid><vid>0951<pid>1642</pid></device>", {{"", "1642", "", "", ""}}},
        {"missing closing tag", "<vid>0951<serial>S</serial></device>", {{"", "", "S", "", ""}}},
        {"values kept as they stand", "<vid> 0951 </vid><manu>A&amp;B <x></manu></device>",
         {{" 0951 ", "", "", "A&amp;B <x>", ""}}},
        {"first tag pair wins", "<pid>1</pid><pid>2</pid></device>", {{"", "1", "", "", ""}}},
        {"empty record", "</device>", {{"", "", "", "", ""}}},
        {"no record end at all", "<vid>0951</vid>", {}},
        {"blank text", "   ", {}},
        {"empty text", "", {}},
        {"tags do not leak into the next record", "<vid>1</device></vid></device>", {{"", "", "", "", ""}, {"", "", "", "", ""}}},
    };
    for (const Case& c : cases) {
        UsbDeviceList list;
        list.addEmpty();   // a stale entry from an earlier refresh
        ParseUSBDeviceText(list, c.text);
        EXPECT_EQ(EntriesOf(list), c.entries) << c.name;
    }
}

TEST(UsbDeviceRefresh, ResultsAndMessages) {
    // loudMessage: shown by GetUSBDevices only; ReadUSBDevices stays silent.
    struct Case {
        const char* name;
        std::int16_t status;
        bool loadable;
        std::string text;
        std::int16_t count;
        std::optional<std::int16_t> length;
        std::int16_t result;
        int devices;
        std::string loudMessage;
    } cases[] = {
        {"success", 1, true, kKeyRecord, 1, {}, 1, 1, ""},
        {"library count is passed on", 1, true, kKeyRecord, 3, {}, 3, 1, ""},
        {"failed status", 5, true, kKeyRecord, 1, {}, -1, 0, "Get USB Serial error code : 5"},
        {"negative status", -7, true, "", 0, {}, -1, 0, "Get USB Serial error code : -7"},
        {"no text", 1, true, "", 0, {}, -2, 0, ""},
        {"negative length", 1, true, kKeyRecord, 1, std::int16_t{-20}, -2, 0, ""},
        {"length beyond the buffer is clamped", 1, true, kKeyRecord, 1, std::int16_t{32000}, 1, 1, ""},
        {"length cuts the text", 1, true, kKeyRecord + kKeyRecord, 2,
         static_cast<std::int16_t>(kKeyRecord.size() + 5), 2, 1, ""},
        {"library missing", 1, false, kKeyRecord, 1, {}, -1, 0, kUsbLibraryMissingText},
    };
    for (const Case& c : cases) {
        for (bool loud : {true, false}) {
            FakeWorld w;
            w.ctx.globals().usbDevices.addEmpty();   // stale
            w.usbSerial.text = c.text;
            w.usbSerial.status = c.status;
            w.usbSerial.count = c.count;
            w.usbSerial.loadable = c.loadable;
            w.usbSerial.reportedLength = c.length;
            std::int16_t result = loud ? GetUSBDevices(w.ctx) : ReadUSBDevices(w.ctx);
            EXPECT_EQ(result, c.result) << c.name;
            EXPECT_EQ(w.ctx.globals().usbDevices.upperBound(), c.devices) << c.name;
            const bool message = loud && !c.loudMessage.empty();
            EXPECT_EQ(w.messages.boxes(), message ? Log{Box(c.loudMessage)} : Log{})
                << c.name << (loud ? " loud" : " silent");
        }
    }
}

TEST(UsbDeviceRefresh, CheckShowsString539OnlyForMissingText) {
    FakeWorld w;
    w.loadStrings({{539, "No USB storage device found."}});
    EXPECT_FALSE(CheckUSBDevices(w.ctx));
    w.usbSerial.status = 3;   // the failed status has its own message, no second one
    EXPECT_FALSE(CheckUSBDevices(w.ctx));
    EXPECT_EQ(w.messages.boxes(), (Log{Box("No USB storage device found."), Box("Get USB Serial error code : 3")}));

    w.usbSerial.status = 1;
    w.usbSerial.setDevices({{"0951", "1642", "1"}});
    w.usbSerial.count = 0;   // text but a count of 0: false, silently
    EXPECT_FALSE(CheckUSBDevices(w.ctx));
    EXPECT_EQ(w.messages.shown.size(), 2u);
    w.usbSerial.count = 1;
    EXPECT_TRUE(CheckUSBDevices(w.ctx));
    EXPECT_TRUE(HasUSBDevices(w.ctx));
}

TEST(UsbKeyPresence, PresentAndAbsent) {
    // Neither present nor absent: the library is not even asked.
    struct Case {
        const char* name;
        std::string wanted;
        bool loadable;
        std::int16_t status;
        Entries devices;
        bool present, absent;
    } cases[] = {
        {"attached", "09511642001372", true, 1, {{"0951", "1642", "001372"}}, true, false},
        {"blanks around the wanted id", "  09511642001372 ", true, 1, {{"0951", "1642", "001372"}}, true, false},
        {"blanks around the device values", "09511642001372", true, 1, {{" 0951", "1642", "001372 "}}, true, false},
        {"second of several", "0781556700AB", true, 1, {{"0951", "1642", "1"}, {"0781", "5567", "00AB"}}, true, false},
        {"differs in case", "0951164200ab", true, 1, {{"0951", "1642", "00AB"}}, false, true},
        {"other stick only", "09511642001372", true, 1, {{"0781", "5567", "00AB"}}, false, true},
        {"device without serial never matches", "09511642", true, 1, {{"0951", "1642", ""}}, false, true},
        {"blank serial never matches", "09511642", true, 1, {{"0951", "1642", "  "}}, false, true},
        {"no devices", "09511642001372", true, 1, {}, false, true},
        {"library status fails", "09511642001372", true, 2, {{"0951", "1642", "001372"}}, false, true},
        {"library missing", "09511642001372", false, 1, {{"0951", "1642", "001372"}}, false, true},
        {"empty id is neither", "", true, 1, {{"0951", "1642", "001372"}}, false, false},
        {"blank id is neither", "   ", true, 1, {}, false, false},
    };
    for (const Case& c : cases) {
        FakeWorld w;
        w.usbSerial.setDevices(c.devices);
        w.usbSerial.loadable = c.loadable;
        w.usbSerial.status = c.status;
        EXPECT_EQ(IsUSBKeyPresent(w.ctx, c.wanted), c.present) << c.name;
        EXPECT_EQ(IsUSBKeyAbsent(w.ctx, c.wanted), c.absent) << c.name;
        EXPECT_TRUE(w.messages.shown.empty()) << c.name;
        EXPECT_TRUE(c.present || c.absent || w.usbSerial.calls == 0) << c.name;
    }
}

#include <gtest/gtest.h>

#include "usbkey/usb_sim_file.h"

using namespace qv;

TEST(UsbSimFile, StatusLineAndRecords) {
    struct Case { const char* name; std::string content; std::optional<std::int16_t> status; std::string text; } cases[] = {
        {"empty", "", std::nullopt, ""},
        {"records on lines", "<vid>1</vid></device>\r\n<vid>2</vid></device>\r\n", std::nullopt,
         "<vid>1</vid></device><vid>2</vid></device>"},
        {"forced status", "status=5\r\n<vid>1</vid></device>", std::int16_t{5}, "<vid>1</vid></device>"},
        {"status alone", "Status = -3", std::int16_t{-3}, ""},
        {"unusable status", "status=abc\n", std::int16_t{0}, ""},
        {"status too big", "status=99999\n", std::int16_t{0}, ""},
        {"trailing text is no record", "<vid>1</vid></device><vid>2", std::nullopt, "<vid>1</vid></device>"},
    };
    for (const Case& c : cases) {
        UsbSimFile f = ParseUsbSimFile(c.content);
        EXPECT_EQ(f.status, c.status) << c.name;
        EXPECT_EQ(f.deviceText(), c.text) << c.name;
    }
}

TEST(UsbSimFile, PlugAndPullKeepOtherRecordsAndTheStatus) {
    UsbSimFile f = ParseUsbSimFile("status=1\r\n<vid>AAAA</vid><pid>BBBB</pid><serial>X</serial></device>\r\n");
    EXPECT_TRUE(PlugSimStick(f, SimStick::Key) && PlugSimStick(f, SimStick::NoSerial));
    EXPECT_FALSE(PlugSimStick(f, SimStick::Key) || IsSimStickPlugged(f, SimStick::Other));
    UsbSimFile again = ParseUsbSimFile(FormatUsbSimFile(f));
    EXPECT_EQ(again.status, std::int16_t{1});
    EXPECT_TRUE(PullSimStick(again, SimStick::Key));
    EXPECT_FALSE(PullSimStick(again, SimStick::Key) || PullSimStick(again, SimStick::Other));
    ASSERT_EQ(again.records.size(), 2u);
    EXPECT_EQ(again.records[0], "<vid>AAAA</vid><pid>BBBB</pid><serial>X</serial></device>");
    EXPECT_TRUE(IsSimStickPlugged(again, SimStick::NoSerial));
}

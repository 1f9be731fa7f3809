// The device list: from Windows' instance ids to the device text, and from the text to the key's presence.
#include <gtest/gtest.h>

#include "fakes.h"
#include "usbkey/usb_devices.h"
#include "usbkey/usb_instance_id.h"
#include "usbkey/usb_sim_file.h"

using namespace qv;
using namespace qv::test;

namespace {

const std::string kKeyRecord = "<vid>0951</vid><pid>1642</pid><serial>001372</serial></device>";

}  // namespace

TEST(UsbInstanceId, RealWorldIds) {
    const std::pair<const char*, const char*> ids[] = {   // id, vid|pid|serial|interface or nothing
        {"usb\\vid_abcd&pid_12ef\\aa11", "ABCD|12EF|aa11|0"},
        {"USB\\VID_058F&PID_6387\\5&2A1B3C4F&0&2", "058F|6387||0"},   // made up by Windows
        {"USB\\VID_0951&PID_1642\\AB&CD01", "0951|1642|AB&CD01|0"},
        {"USB\\VID_0951&PID_1642\\7&Q1&0", "0951|1642|7&Q1&0|0"},   // a serial, though it looks made up
        {"USB\\VID_05AC&PID_12A8&MI_00\\6&1A2B3C&0&0000", "05AC|12A8||1"}, {"USB\\ROOT_HUB30\\4&1234ABCD&0&0", ""},
        {"USB\\VID_09G1&PID_1642\\001372", ""}, {"USB\\VID_0951&PID_1642\\1\\2", ""}};
    for (auto [text, parsed] : ids) {
        auto id = ParseUsbInstanceId(text);
        EXPECT_EQ(id ? id->vendorId + "|" + id->productId + "|" + id->serial + "|" + (id->isInterface ? "1" : "0") : "",
                  parsed) << text;
    }
    for (auto [text, names] : {std::pair{"USBSTOR\\Disk&Ven_Kingsley&Prod_Data_Stick_2.0&Rev_1.00\\001372&0",
                                         "Kingsley|Data Stick 2.0"}, {"garbage", "|"}})
        EXPECT_EQ(ParseStorageInstanceId(text).vendor + "|" + ParseStorageInstanceId(text).product, names) << text;
}

// What the USB serial library writes: names that would break the tags are mended, and the
// text holds only whole records that fit the caller's buffer. Values are read as they stand,
// each field from its own record.
TEST(UsbDeviceText, RecordsSurviveTheRoundTripAndFitTheBuffer) {
    UsbDeviceList list;
    list.addEmpty();   // a stale entry from an earlier refresh
    ParseUSBDeviceText(list, FormatUsbDeviceRecord({"0951", "1642", "1", "A&B <M> </manu></device>", "S\r\n\x01 2"}) +
                                 "<vid> 1 </vid></device></vid><vid>2<pid>3</pid><serial>4</device><vid>5");
    std::vector<std::string> entries;
    for (int i = 1; i <= list.upperBound(); ++i)
        entries.push_back(list.vendorId[i] + "|" + list.productId[i] + "|" + list.serial[i] + "|" +
                          list.manufacturer[i] + "|" + list.product[i]);
    EXPECT_EQ(entries, (Log{"0951|1642|1|A&B (M) (/manu)(/device)|S 2", " 1 ||||", "|3|||"}));
    const std::vector<UsbDeviceRecord> records(3, {"0951", "1642", "S", "M", "P"});
    const std::size_t one = FormatUsbDeviceRecord(records[0]).size();
    for (std::size_t capacity : {one - 1, one, 2 * one + 1, std::size_t{3000}}) {
        int listed = -1, kept = -1;
        const std::string built = BuildUsbDeviceText(records, capacity, listed);
        EXPECT_EQ(built.size(), std::min<std::size_t>(capacity / one, 3) * one) << capacity;
        EXPECT_EQ(FitUsbDeviceText(BuildUsbDeviceText(records, 3000, kept) + "junk", capacity, kept), built);
        EXPECT_EQ(std::pair(listed, kept), std::pair(int(built.size() / one), int(built.size() / one))) << capacity;
    }
}

// What GetUSBDevices returns and shows; ReadUSBDevices returns the same and shows nothing.
TEST(UsbDeviceRefresh, ResultsAndMessages) {
    struct Case { std::int16_t status; bool loadable; std::string text; std::int16_t count;
                  std::optional<std::int16_t> length; std::int16_t result; int devices; std::string message; };
    const Case cases[] = {
        {1, true, kKeyRecord, 3, {}, 3, 1, ""},   // the library's count is passed on
        {5, true, kKeyRecord, 1, {}, -1, 0, "Get USB Serial error code : 5"},
        {1, true, "", 0, {}, -2, 0, ""},
        {1, true, kKeyRecord, 1, std::int16_t{-20}, -2, 0, ""},
        {1, true, kKeyRecord, 1, std::int16_t{32000}, 1, 1, ""},   // clamped to the buffer
        {1, true, kKeyRecord + kKeyRecord, 2, std::int16_t(kKeyRecord.size() + 5), 2, 1, ""},
        {1, false, kKeyRecord, 1, {}, -1, 0, kUsbLibraryMissingText},
    };
    for (const Case& c : cases) {
        FakeWorld w;
        w.usbSerial.text = c.text;
        w.usbSerial.status = c.status;
        w.usbSerial.count = c.count;
        w.usbSerial.loadable = c.loadable;
        w.usbSerial.reportedLength = c.length;
        EXPECT_EQ(ReadUSBDevices(w.ctx), c.result) << c.text;
        EXPECT_TRUE(w.messages.shown.empty()) << c.text;
        EXPECT_EQ(GetUSBDevices(w.ctx), c.result) << c.text;   // the list read again, not added to
        EXPECT_EQ(w.ctx.globals().usbDevices.upperBound(), c.devices) << c.text;
        EXPECT_EQ(w.messages.boxes(), c.message.empty() ? Log{} : Log{"Quorvel|" + c.message + "|16"}) << c.text;
    }
    FakeWorld w;   // only a missing text has string 539, and only from the check
    w.loadStrings({{539, "No USB storage device found."}});
    EXPECT_FALSE(CheckUSBDevices(w.ctx) || HasUSBDevices(w.ctx));
    w.usbSerial.setDevices({{"0951", "1642", "1"}});
    EXPECT_TRUE(CheckUSBDevices(w.ctx) && HasUSBDevices(w.ctx));
    w.messages.expectOnly("No USB storage device found.", kAppTitle, MbIconCritical);
}

// Neither present nor absent: the library is not even asked.
TEST(UsbKeyPresence, PresentAndAbsent) {
    using Devices = std::vector<std::vector<std::string>>;
    struct Case { std::string wanted; std::int16_t status; Devices devices; bool present, absent; } cases[] = {
        {"  09511642001372 ", 1, {{" 0951", "1642", "001372 "}}, true, false},   // blanks around both
        {"0781556700AB", 1, {{"0951", "1642", "1"}, {"0781", "5567", "00AB"}}, true, false},
        {"0951164200ab", 1, {{"0951", "1642", "00AB"}}, false, true},
        {"09511642", 1, {{"0951", "1642", "  "}}, false, true},   // without serial, never
        {"0951001372", 1, {{"0951", " ", "001372"}}, false, true},
        {"09511642001372", 2, {{"0951", "1642", "001372"}}, false, true},   // the library fails
        {"   ", 1, {{"0951", "1642", "001372"}}, false, false},
    };
    for (const Case& c : cases) {
        FakeWorld w;
        w.usbSerial.setDevices(c.devices);
        w.usbSerial.status = c.status;
        EXPECT_EQ(IsUSBKeyPresent(w.ctx, c.wanted), c.present) << c.wanted;
        EXPECT_EQ(IsUSBKeyAbsent(w.ctx, c.wanted), c.absent) << c.wanted;
        EXPECT_TRUE(w.messages.shown.empty() && (c.present || c.absent || w.usbSerial.calls == 0)) << c.wanted;
    }
}

// The simulated list: an optional status line, then whole records; the simulator's sticks plug and pull.
TEST(UsbSimFile, StatusLineRecordsAndTheSticks) {
    UsbSimFile f = ParseUsbSimFile("Status = 5\r\n<vid>AAAA</vid><pid>BBBB</pid><serial>X</serial></device>\r\n<vid>3");
    EXPECT_TRUE(PlugSimStick(f, SimStick::Key) && PlugSimStick(f, SimStick::NoSerial));
    EXPECT_FALSE(PlugSimStick(f, SimStick::Key) || IsSimStickPlugged(f, SimStick::Other));
    UsbSimFile again = ParseUsbSimFile(FormatUsbSimFile(f));
    EXPECT_TRUE(PullSimStick(again, SimStick::Key));
    EXPECT_FALSE(PullSimStick(again, SimStick::Key) || PullSimStick(again, SimStick::Other));
    EXPECT_EQ(FormatUsbSimFile(again), "status=5\r\n<vid>AAAA</vid><pid>BBBB</pid><serial>X</serial></device>\r\n"
                                       "<vid>058F</vid><pid>6387</pid><serial></serial><manu>Generic</manu><prod>"
                                       "Flash Disk</prod></device>\r\n");
    EXPECT_EQ(ParseUsbSimFile("status=99999\n").status, std::int16_t{0});   // unusable
    EXPECT_EQ(ParseUsbSimFile("<vid>A=B</vid></device>").deviceText(), "<vid>A=B</vid></device>");   // no status line
    again = {std::nullopt, {"status=2<vid>1</vid></device>"}};   // a record that reads like a status line
    EXPECT_EQ(ParseUsbSimFile(FormatUsbSimFile(again)).deviceText(), "status=2<vid>1</vid></device>");
}

#include <gtest/gtest.h>

#include "usbkey/usb_devices.h"
#include "usbkey/usb_instance_id.h"

using namespace qv;

TEST(UsbInstanceId, RealWorldIds) {
    struct Case { const char* id; bool parsed; std::string vid, pid, serial; bool isInterface; } cases[] = {
        {"USB\\VID_0951&PID_1642\\001372", true, "0951", "1642", "001372", false},
        {"USB\\VID_0781&PID_5567\\4C530001230819115403", true, "0781", "5567", "4C530001230819115403", false},
        {"usb\\vid_abcd&pid_12ef\\aa11", true, "ABCD", "12EF", "aa11", false},
        {"USB\\VID_058F&PID_6387\\5&2A1B3C4D&0&2", true, "058F", "6387", "", false},
        {"USB\\VID_0951&PID_1642\\AB&CD01", true, "0951", "1642", "AB&CD01", false},
        {"USB\\VID_0951&PID_1642\\7&Q1&0", true, "0951", "1642", "7&Q1&0", false},
        {"USB\\VID_0951&PID_1642\\SN_2.0#{X}-1", true, "0951", "1642", "SN_2.0#{X}-1", false},
        {"USB\\VID_05AC&PID_12A8&MI_00\\6&1A2B3C&0&0000", true, "05AC", "12A8", "", true},
        {"USB\\VID_0BDA&PID_0129&REV_3960\\20100201396000000", true, "0BDA", "0129", "20100201396000000", false},
        {"USB\\ROOT_HUB30\\4&1234ABCD&0&0", false, "", "", "", false},
        {"USBSTOR\\DISK&VEN_GENERIC&PROD_FLASH_DISK&REV_8.07\\001372&0", false, "", "", "", false},
        {"USB\\VID_095&PID_1642\\001372", false, "", "", "", false},
        {"USB\\VID_09G1&PID_1642\\001372", false, "", "", "", false},
        {"USB\\VID_0951&PID_1642\\", false, "", "", "", false},
        {"USB\\VID_0951&PID_1642", false, "", "", "", false},
        {"USB\\VID_0951&PID_1642\\1\\2", false, "", "", "", false},
        {"", false, "", "", "", false},
    };
    for (const Case& c : cases) {
        auto id = ParseUsbInstanceId(c.id);
        ASSERT_EQ(id.has_value(), c.parsed) << c.id;
        if (!id) continue;
        EXPECT_EQ(id->vendorId + "|" + id->productId + "|" + id->serial, c.vid + "|" + c.pid + "|" + c.serial) << c.id;
        EXPECT_EQ(id->isInterface, c.isInterface) << c.id;
    }
}

TEST(UsbInstanceId, StorageVendorAndProduct) {
    struct Case { const char* id; const char* vendor; const char* product; } cases[] = {
        {"USBSTOR\\Disk&Ven_Kingsley&Prod_Data_Stick_2.0&Rev_1.00\\001372&0", "Kingsley", "Data Stick 2.0"},
        {"USBSTOR\\DISK&VEN_&PROD_USB_DISK_2.0&REV_PMAP\\0709&0", "", "USB DISK 2.0"},
        {"garbage", "", ""}};
    for (const Case& c : cases) {
        auto parsed = ParseStorageInstanceId(c.id);
        EXPECT_EQ(parsed.vendor + "|" + parsed.product, std::string(c.vendor) + "|" + c.product) << c.id;
    }
}

TEST(UsbDeviceRecords, OddNamesSurviveTheRoundTrip) {
    UsbDeviceRecord r{"0951", "1642", "001372", "A&B <Media> </manu></device>", "Stick\r\n\x01 2.0"};
    std::string text = FormatUsbDeviceRecord(r);
    UsbDeviceList list;
    ParseUSBDeviceText(list, text);
    ASSERT_EQ(list.upperBound(), 1);
    EXPECT_EQ(list.keyId(1), "09511642001372");
    EXPECT_EQ(list.manufacturer[1], "A&B (Media) (/manu)(/device)");
    EXPECT_EQ(list.product[1], "Stick 2.0");
    EXPECT_EQ(FormatUsbDeviceRecord({"0951", "1642", "", "", ""}),
              "<vid>0951</vid><pid>1642</pid><serial></serial><manu></manu><prod></prod></device>");
}

TEST(UsbDeviceRecords, TextNeverOutgrowsTheBufferAndEndsWithAWholeRecord) {
    std::vector<UsbDeviceRecord> records;
    for (int i = 0; i < 40; ++i) records.push_back({"0951", "1642", std::string(30, 'S'), "Maker", "Model"});
    const std::size_t one = FormatUsbDeviceRecord(records[0]).size();
    for (std::size_t capacity : {std::size_t{0}, one - 1, one, one + 1, std::size_t{3000}}) {
        int listed = -1;
        std::string text = BuildUsbDeviceText(records, capacity, listed);
        EXPECT_LE(text.size(), capacity);
        EXPECT_EQ(listed, static_cast<int>(capacity / one));
        EXPECT_EQ(text.size(), static_cast<std::size_t>(listed) * one);
        int kept = -1;
        std::string fitted = FitUsbDeviceText(BuildUsbDeviceText(records, 100000, listed), capacity, kept);
        EXPECT_EQ(fitted, text);
        EXPECT_EQ(kept, static_cast<int>(capacity / one));
    }
    int kept = -1;
    EXPECT_EQ(FitUsbDeviceText("<vid>1</vid></device>junk", 3000, kept), "<vid>1</vid></device>");
    EXPECT_EQ(kept, 1);
}

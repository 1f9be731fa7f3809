// KvUSBSerial.DLL as the program loads it: by name from the program's folder, GetUSBSerial
// by its undecorated name, the result VARIANT passed ahead of the four arguments.
#include <windows.h>
#include <oleauto.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using GetUSBSerialFn = void(__stdcall*)(VARIANT*, char*, short*, short*, short*);
constexpr int kBuffer = 3000, kGuard = 64;

TEST(UsbSerialDll, ReportsTheAttachedDevicesWithinTheBufferAndRefusesMissingArguments) {
    HMODULE library = LoadLibraryA("KvUSBSerial.DLL");
    ASSERT_NE(library, nullptr);
    auto fn = reinterpret_cast<GetUSBSerialFn>(reinterpret_cast<void*>(GetProcAddress(library, "GetUSBSerial")));
    ASSERT_NE(fn, nullptr);
    for (int call = 0; call < 3; ++call) {   // repeated calls, as the polling timer makes them
        std::vector<char> buffer(kBuffer + kGuard, '#');
        short length = -5, count = -5, status = -5;
        VARIANT result;
        VariantInit(&result);
        fn(&result, buffer.data(), &length, &count, &status);
        EXPECT_EQ(status, 1);
        EXPECT_TRUE(result.vt == VT_I2 && result.iVal == status);
        VariantClear(&result);
        ASSERT_TRUE(length >= 0 && length <= kBuffer) << length;
        std::string text(buffer.data(), static_cast<std::size_t>(length));
        int records = 0;
        for (auto at = text.find("</device>"); at != std::string::npos; at = text.find("</device>", at + 1)) ++records;
        EXPECT_EQ(count, records);
        EXPECT_TRUE(text.empty() || text.substr(text.size() - 9) == "</device>") << text;
        EXPECT_EQ(std::string(buffer.data() + kBuffer, kGuard), std::string(kGuard, '#'));
    }
    short length = 0, count = 0, status = 0;
    fn(nullptr, nullptr, &length, &count, &status);
    EXPECT_NE(status, 1);
    fn(nullptr, nullptr, nullptr, nullptr, nullptr);   // must not crash
    FreeLibrary(library);
}

}  // namespace

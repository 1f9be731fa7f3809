// KvUSBSerial.DLL as the program loads it: GetUSBSerial by its undecorated name, the result
// VARIANT passed ahead of the four arguments. Both builds: the shipped one, and the simulated
// one (bin\sim) that hands out what usbsim.txt beside the running program holds.
#include <windows.h>
#include <oleauto.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <string>
#include <tuple>
#include <utility>

using GetUSBSerialFn = void(__stdcall*)(VARIANT*, char*, short*, short*, short*);

TEST(UsbSerialDll, BothBuildsKeepTheContractAndTheSimulatedOneHandsOutTheFileRecords) {
    constexpr short kBuffer = 3000;
    char exe[MAX_PATH] = {};
    std::string folder(exe, GetModuleFileNameA(nullptr, exe, MAX_PATH));
    folder.erase(folder.rfind('\\') + 1);
    const std::string simFile = folder + "usbsim.txt", end = "</device>",
                      key = "<vid>0951</vid><pid>1642</pid><serial>QV01KEY</serial><manu>M</manu><prod>P</prod>" + end,
                      other = "<vid>0781</vid><pid>5567</pid><serial>00AB</serial><manu></manu><prod></prod>" + end;
    std::string many, wholeOnes;   // too many records end after the last whole one
    for (int i = 0; i < 60; ++i) many += key + "\r\n";
    while (wholeOnes.size() + key.size() <= kBuffer) wholeOnes += key;
    const std::tuple<std::string, short, std::string> cases[] = {
        {"", 1, ""},   // no file, no devices
        {key + "\r\n" + other + "\r\n", 1, key + other},
        {other + "\r\n", 1, other},   // the key pulled: the next call sees it at once
        {"status=7\r\n" + key + "\r\n", 7, ""},
        {many, 1, wholeOnes},
    };
    for (const std::string& path : {std::string("KvUSBSerial.DLL"), folder + "sim\\KvUSBSerial.DLL"}) {
        HMODULE library = LoadLibraryA(path.c_str());
        auto fn = reinterpret_cast<GetUSBSerialFn>(reinterpret_cast<void*>(GetProcAddress(library, "GetUSBSerial")));
        ASSERT_NE(fn, nullptr) << path;
        for (auto& [content, status, text] : cases) {
            SCOPED_TRACE(path + ": " + content.substr(0, 40));
            std::remove(simFile.c_str());
            if (!content.empty()) std::ofstream(simFile, std::ios::binary) << content;
            std::string buffer(kBuffer + 64, '#');
            short length = -5, count = -5, got = -5;
            VARIANT result;
            VariantInit(&result);
            fn(&result, buffer.data(), &length, &count, &got);
            // The status also as the VARIANT; the text within the buffer, made of whole records, counted.
            EXPECT_TRUE(result.vt == VT_I2 && result.iVal == got);
            EXPECT_EQ(buffer.substr(kBuffer), std::string(64, '#'));
            ASSERT_TRUE(length >= 0 && length <= kBuffer) << length;
            buffer.resize(length);
            int records = 0;
            for (auto at = buffer.find(end); at != std::string::npos; at = buffer.find(end, at + 1)) ++records;
            EXPECT_EQ(count, records);
            EXPECT_TRUE(buffer.empty() || buffer.ends_with(end)) << buffer;
            const bool simulated = path != "KvUSBSerial.DLL";   // the shipped build reads no file
            EXPECT_EQ(std::make_pair(got, buffer),
                      std::make_pair(simulated ? status : short{1}, simulated ? text : buffer));
        }
        short length = 0, count = 0, status = 0;
        fn(nullptr, nullptr, &length, &count, &status);
        EXPECT_NE(status, 1);
        fn(nullptr, nullptr, nullptr, nullptr, nullptr);   // must not crash
        FreeLibrary(library);
    }
    std::remove(simFile.c_str());
}

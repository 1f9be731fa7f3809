// KvUSBSerial.DLL as the program loads it: GetUSBSerial by its undecorated name, the result
// VARIANT passed ahead of the four arguments. Both builds: the shipped one, and the simulated
// one (bin\sim) that hands out what usbsim.txt beside the running program holds.
#include <windows.h>
#include <oleauto.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <optional>
#include <string>
#include <tuple>
#include <vector>

namespace {

using GetUSBSerialFn = void(__stdcall*)(VARIANT*, char*, short*, short*, short*);
constexpr int kBuffer = 3000, kGuard = 64;
const std::string kKey = "<vid>0951</vid><pid>1642</pid><serial>QV0001KEY</serial><manu>M</manu><prod>P</prod></device>";
const std::string kOther = "<vid>0781</vid><pid>5567</pid><serial>00AB</serial><manu></manu><prod></prod></device>";

std::string ExeFolder() {
    char path[MAX_PATH] = {};
    const std::string exe(path, GetModuleFileNameA(nullptr, path, MAX_PATH));
    return exe.substr(0, exe.find_last_of('\\') + 1);
}

// One call, held to the contract: the status also as the VARIANT, the text within the buffer,
// made of whole records and counted. Gives the status and the text.
std::pair<short, std::string> Call(GetUSBSerialFn fn) {
    std::vector<char> buffer(kBuffer + kGuard, '#');
    short length = -5, count = -5, status = -5;
    VARIANT result;
    VariantInit(&result);
    fn(&result, buffer.data(), &length, &count, &status);
    EXPECT_TRUE(result.vt == VT_I2 && result.iVal == status);
    VariantClear(&result);
    EXPECT_EQ(std::string(buffer.data() + kBuffer, kGuard), std::string(kGuard, '#'));
    if (length < 0 || length > kBuffer) {
        ADD_FAILURE() << "length " << length;
        return {status, ""};
    }
    const std::string text(buffer.data(), static_cast<std::size_t>(length));
    int records = 0;
    for (auto at = text.find("</device>"); at != std::string::npos; at = text.find("</device>", at + 1)) ++records;
    EXPECT_EQ(count, records);
    EXPECT_TRUE(text.empty() || text.ends_with("</device>")) << text;
    return {status, text};
}

TEST(UsbSerialDll, BothBuildsKeepTheContractAndTheSimulatedOneHandsOutTheFileRecords) {
    const std::string simFile = ExeFolder() + "usbsim.txt";
    std::string many, wholeOnes;   // too many records end after the last whole one
    for (int i = 0; i < 60; ++i) many += kKey + "\r\n";
    while (wholeOnes.size() + kKey.size() <= std::size_t{kBuffer}) wholeOnes += kKey;
    const std::tuple<std::optional<std::string>, short, std::string> cases[] = {
        {std::nullopt, 1, ""},   // no file, no devices
        {kKey + "\r\n" + kOther + "\r\n", 1, kKey + kOther},
        {kOther + "\r\n", 1, kOther},   // the key pulled: the next call sees it at once
        {"status=7\r\n" + kKey + "\r\n", 7, ""},
        {"status=1\r\n" + kKey + "\r\n", 1, kKey},
        {many, 1, wholeOnes},
    };
    for (const std::string& path : {std::string("KvUSBSerial.DLL"), ExeFolder() + "sim\\KvUSBSerial.DLL"}) {
        const bool simulated = path != "KvUSBSerial.DLL";
        HMODULE library = LoadLibraryA(path.c_str());
        ASSERT_NE(library, nullptr) << path;
        auto fn = reinterpret_cast<GetUSBSerialFn>(reinterpret_cast<void*>(GetProcAddress(library, "GetUSBSerial")));
        ASSERT_NE(fn, nullptr) << path;
        for (auto& [content, status, text] : cases) {   // the shipped build reads no file: whatever it finds
            SCOPED_TRACE(path + ": " + content.value_or("no file").substr(0, 40));
            std::remove(simFile.c_str());
            if (content) std::ofstream(simFile, std::ios::binary) << *content;
            const auto answer = Call(fn);
            EXPECT_EQ(answer, simulated ? std::make_pair(status, text) : std::make_pair(short{1}, answer.second));
        }
        short length = 0, count = 0, status = 0;
        fn(nullptr, nullptr, &length, &count, &status);
        EXPECT_NE(status, 1);
        fn(nullptr, nullptr, nullptr, nullptr, nullptr);   // must not crash
        FreeLibrary(library);
    }
    std::remove(simFile.c_str());
}

}  // namespace

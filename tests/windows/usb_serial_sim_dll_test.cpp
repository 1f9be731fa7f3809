// The simulated KvUSBSerial.DLL (bin\..\sim): hands out what usbsim.txt beside the running
// program holds.
#include <windows.h>
#include <oleauto.h>

#include <gtest/gtest.h>

#include <string>
#include <tuple>
#include <vector>

namespace {

using GetUSBSerialFn = void(__stdcall*)(VARIANT*, char*, short*, short*, short*);
constexpr int kBuffer = 3000, kGuard = 64;
const std::string kKey = "<vid>0951</vid><pid>1642</pid><serial>QV0001KEY</serial><manu>M</manu><prod>P</prod></device>";
const std::string kOther = "<vid>0781</vid><pid>5567</pid><serial>00AB</serial><manu></manu><prod></prod></device>";

struct Answer {
    short status = -5, length = -5, count = -5;
    std::string text;
};

class UsbSerialSimDll : public ::testing::Test {
protected:
    void SetUp() override {
        char path[MAX_PATH] = {};
        std::string exe(path, GetModuleFileNameA(nullptr, path, MAX_PATH));
        const std::string folder = exe.substr(0, exe.find_last_of('\\'));
        simFile_ = folder + "\\usbsim.txt";
        DeleteFileA(simFile_.c_str());
        library_ = LoadLibraryA((folder + "\\sim\\KvUSBSerial.DLL").c_str());
        ASSERT_NE(library_, nullptr);
        fn_ = reinterpret_cast<GetUSBSerialFn>(reinterpret_cast<void*>(GetProcAddress(library_, "GetUSBSerial")));
        ASSERT_NE(fn_, nullptr);
    }
    void TearDown() override {
        DeleteFileA(simFile_.c_str());
        if (library_) FreeLibrary(library_);
    }
    // Writes usbsim.txt (unless `content` is null) and calls the library once.
    Answer call(const std::string* content) {
        if (content) {
            HANDLE h = CreateFileA(simFile_.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
            EXPECT_NE(h, INVALID_HANDLE_VALUE);
            DWORD written = 0;
            WriteFile(h, content->data(), static_cast<DWORD>(content->size()), &written, nullptr);
            CloseHandle(h);
        }
        std::vector<char> buffer(kBuffer + kGuard, '#');
        Answer a;
        VARIANT result;
        VariantInit(&result);
        fn_(&result, buffer.data(), &a.length, &a.count, &a.status);
        EXPECT_TRUE(result.vt == VT_I2 && result.iVal == a.status);
        VariantClear(&result);
        EXPECT_TRUE(a.length >= 0 && a.length <= kBuffer) << a.length;
        EXPECT_EQ(std::string(buffer.data() + kBuffer, kGuard), std::string(kGuard, '#'));
        if (a.length > 0 && a.length <= kBuffer) a.text.assign(buffer.data(), static_cast<std::size_t>(a.length));
        return a;
    }
    std::string simFile_;
    HMODULE library_ = nullptr;
    GetUSBSerialFn fn_ = nullptr;
};

TEST_F(UsbSerialSimDll, HandsOutTheFileRecordsAndTheForcedStatus) {
    std::string many, wholeOnes;   // too many records end after the last whole one
    for (int i = 0; i < 60; ++i) many += kKey + "\r\n";
    while (wholeOnes.size() + kKey.size() <= std::size_t{kBuffer}) wholeOnes += kKey;
    const std::string contents[] = {kKey + "\r\n" + kOther + "\r\n", kOther + "\r\n", "status=7\r\n" + kKey + "\r\n",
                                    "status=1\r\n" + kKey + "\r\n", many};
    const std::tuple<const std::string*, short, short, std::string> cases[] = {
        {nullptr, 1, 0, ""},   // no file, no devices
        {&contents[0], 1, 2, kKey + kOther},
        {&contents[1], 1, 1, kOther},   // the key pulled: the next call sees it at once
        {&contents[2], 7, 0, ""},
        {&contents[3], 1, 1, kKey},
        {&contents[4], 1, static_cast<short>(wholeOnes.size() / kKey.size()), wholeOnes},
    };
    for (auto& [content, status, count, text] : cases) {
        SCOPED_TRACE(content ? content->substr(0, 40) : "no file");
        Answer a = call(content);
        EXPECT_EQ(a.status, status);
        EXPECT_EQ(a.count, count);
        EXPECT_EQ(a.length, static_cast<short>(text.size()));
        EXPECT_EQ(a.text, text);
    }
}

}  // namespace

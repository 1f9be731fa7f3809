// The simulated KvUSBSerial.DLL (bin\..\sim): hands out what usbsim.txt beside the running
// program holds.
#include <windows.h>
#include <oleauto.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using GetUSBSerialFn = void(__stdcall*)(VARIANT*, char*, short*, short*, short*);

constexpr int kBuffer = 3000;
constexpr int kGuard = 64;

std::string ExeFolder() {
    char path[MAX_PATH] = {};
    std::string p(path, GetModuleFileNameA(nullptr, path, MAX_PATH));
    return p.substr(0, p.find_last_of('\\'));
}

struct Answer {
    short status = -5, length = -5, count = -5;
    std::string text;
};

class UsbSerialSimDll : public ::testing::Test {
protected:
    void SetUp() override {
        simFile_ = ExeFolder() + "\\usbsim.txt";
        DeleteFileA(simFile_.c_str());
        library_ = LoadLibraryA((ExeFolder() + "\\sim\\KvUSBSerial.DLL").c_str());
        ASSERT_NE(library_, nullptr);
        fn_ = reinterpret_cast<GetUSBSerialFn>(reinterpret_cast<void*>(GetProcAddress(library_, "GetUSBSerial")));
        ASSERT_NE(fn_, nullptr);
    }
    void TearDown() override {
        DeleteFileA(simFile_.c_str());
        if (library_) FreeLibrary(library_);
    }
    void write(const std::string& content) {
        HANDLE h = CreateFileA(simFile_.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL,
                               nullptr);
        ASSERT_NE(h, INVALID_HANDLE_VALUE);
        DWORD written = 0;
        WriteFile(h, content.data(), static_cast<DWORD>(content.size()), &written, nullptr);
        CloseHandle(h);
    }
    Answer call() {
        std::vector<char> buffer(kBuffer + kGuard, '#');
        Answer a;
        VARIANT result;
        VariantInit(&result);
        fn_(&result, buffer.data(), &a.length, &a.count, &a.status);
        EXPECT_EQ(result.vt, VT_I2);
        EXPECT_EQ(result.iVal, a.status);
        VariantClear(&result);
        EXPECT_GE(a.length, 0);
        EXPECT_LE(a.length, kBuffer);
        EXPECT_EQ(std::string(buffer.data() + kBuffer, kGuard), std::string(kGuard, '#'));
        if (a.length > 0 && a.length <= kBuffer) a.text.assign(buffer.data(), static_cast<std::size_t>(a.length));
        return a;
    }

    std::string simFile_;
    HMODULE library_ = nullptr;
    GetUSBSerialFn fn_ = nullptr;
};

const std::string kKey = "<vid>0951</vid><pid>1642</pid><serial>QV0001KEY</serial><manu>M</manu><prod>P</prod></device>";
const std::string kOther = "<vid>0781</vid><pid>5567</pid><serial>00AB</serial><manu></manu><prod></prod></device>";

TEST_F(UsbSerialSimDll, NoFileMeansNoDevices) {
    Answer a = call();
    EXPECT_EQ(a.status, 1);
    EXPECT_EQ(a.length, 0);
    EXPECT_EQ(a.count, 0);
}

TEST_F(UsbSerialSimDll, HandsOutTheFileRecords) {
    write(kKey + "\r\n" + kOther + "\r\n");
    Answer a = call();
    EXPECT_EQ(a.status, 1);
    EXPECT_EQ(a.count, 2);
    EXPECT_EQ(a.text, kKey + kOther);

    write(kOther + "\r\n");   // the key pulled: the next call sees it at once
    a = call();
    EXPECT_EQ(a.count, 1);
    EXPECT_EQ(a.text, kOther);
}

TEST_F(UsbSerialSimDll, StatusLineForcesAFailure) {
    write("status=7\r\n" + kKey + "\r\n");
    Answer a = call();
    EXPECT_EQ(a.status, 7);
    EXPECT_EQ(a.length, 0);
    EXPECT_EQ(a.count, 0);
    write("status=1\r\n" + kKey + "\r\n");
    EXPECT_EQ(call().text, kKey);
}

TEST_F(UsbSerialSimDll, TooManyRecordsEndAfterTheLastWholeOne) {
    std::string content;
    for (int i = 0; i < 60; ++i) content += kKey + "\r\n";
    write(content);
    Answer a = call();
    EXPECT_EQ(a.status, 1);
    const int whole = kBuffer / static_cast<int>(kKey.size());
    EXPECT_EQ(a.count, whole);
    EXPECT_EQ(a.length, whole * static_cast<int>(kKey.size()));
}

}  // namespace

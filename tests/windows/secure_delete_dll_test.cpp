// SecureDel.dll as the program loads it: by name, SDelete by its undecorated name.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>

namespace {

using SDeleteFn = short(__stdcall*)(const char*);

class SecureDeleteDll : public ::testing::Test {
protected:
    void SetUp() override {
        library_ = LoadLibraryA("SecureDel.dll");
        ASSERT_NE(library_, nullptr);
        sDelete_ = reinterpret_cast<SDeleteFn>(reinterpret_cast<void*>(GetProcAddress(library_, "SDelete")));
        ASSERT_NE(sDelete_, nullptr);
        char temp[MAX_PATH];
        GetTempPathA(MAX_PATH, temp);
        folder_ = std::string(temp) + "qv_sdelete_" + std::to_string(GetCurrentProcessId());
        CreateDirectoryA(folder_.c_str(), nullptr);
    }
    void TearDown() override {
        RemoveDirectoryA((folder_ + "\\sub").c_str());
        RemoveDirectoryA(folder_.c_str());
        if (library_) FreeLibrary(library_);
    }
    std::string make(const std::string& name, const std::string& data, DWORD attributes = FILE_ATTRIBUTE_NORMAL) {
        std::string path = folder_ + "\\" + name;
        HANDLE h = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
        DWORD written = 0;
        if (!data.empty()) WriteFile(h, data.data(), static_cast<DWORD>(data.size()), &written, nullptr);
        CloseHandle(h);
        SetFileAttributesA(path.c_str(), attributes);
        return path;
    }
    static bool there(const std::string& path) { return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

    HMODULE library_ = nullptr;
    SDeleteFn sDelete_ = nullptr;
    std::string folder_;
};

TEST_F(SecureDeleteDll, DeletesFilesWhateverTheirAttributes) {
    const std::pair<std::string, DWORD> cases[] = {
        {"plain.lnk", FILE_ATTRIBUTE_NORMAL},
        {"locked.lnk", FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM},
        {"archive.lnk", FILE_ATTRIBUTE_ARCHIVE},
    };
    for (auto& [name, attributes] : cases) {
        std::string path = make(name, "shortcut contents", attributes);
        EXPECT_EQ(sDelete_(path.c_str()), 1) << name;
        EXPECT_FALSE(there(path)) << name;
    }
    std::string empty = make("empty.lnk", "");
    EXPECT_EQ(sDelete_(empty.c_str()), 1);
    EXPECT_FALSE(there(empty));
}

TEST_F(SecureDeleteDll, RefusesMissingFilesFoldersAndNoPath) {
    EXPECT_EQ(sDelete_((folder_ + "\\missing.lnk").c_str()), 0);
    EXPECT_EQ(sDelete_(""), 0);
    EXPECT_EQ(sDelete_(nullptr), 0);
    std::string sub = folder_ + "\\sub";
    CreateDirectoryA(sub.c_str(), nullptr);
    EXPECT_EQ(sDelete_(sub.c_str()), 0);
    EXPECT_TRUE(there(sub));
}

TEST_F(SecureDeleteDll, OverwritesTheContentsBeforeDeleting) {
    const std::string original(200 * 1024 + 7, 'A');   // more than one write chunk
    std::string path = make("secret.dat", original);
    // A reader that allows writing and deleting still sees what became of the contents.
    HANDLE reader = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(reader, INVALID_HANDLE_VALUE);
    EXPECT_EQ(sDelete_(path.c_str()), 1);
    std::string after(original.size(), '\0');
    DWORD read = 0;
    SetFilePointer(reader, 0, nullptr, FILE_BEGIN);
    EXPECT_TRUE(ReadFile(reader, after.data(), static_cast<DWORD>(after.size()), &read, nullptr));
    CloseHandle(reader);
    EXPECT_EQ(read, original.size());
    std::size_t as = 0, zeros = 0;
    for (char c : after) {
        as += c == 'A';
        zeros += c == '\0';
    }
    EXPECT_LT(as, after.size() / 50);
    EXPECT_LT(zeros, after.size() / 50);
    EXPECT_FALSE(there(path));
}

TEST_F(SecureDeleteDll, FileOpenWithoutWriteSharingIsLeftAlone) {
    std::string path = make("busy.dat", "keep me", FILE_ATTRIBUTE_READONLY);
    const DWORD before = GetFileAttributesA(path.c_str());
    HANDLE holder = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(holder, INVALID_HANDLE_VALUE);
    EXPECT_EQ(sDelete_(path.c_str()), 0);
    CloseHandle(holder);
    EXPECT_EQ(GetFileAttributesA(path.c_str()), before);   // read-only again
    HANDLE h = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    char buffer[16] = {};
    DWORD read = 0;
    ReadFile(h, buffer, sizeof buffer, &read, nullptr);
    CloseHandle(h);
    EXPECT_EQ(std::string(buffer, read), "keep me");
    SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL);
    DeleteFileA(path.c_str());
}

}  // namespace

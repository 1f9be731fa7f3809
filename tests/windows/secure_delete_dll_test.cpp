// SecureDel.dll as the program loads it: by name, SDelete by its undecorated name.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <tuple>

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
    // Everything the file holds, read through a handle that shares writing and deleting.
    static std::string read(HANDLE h, std::size_t size) {
        std::string data(size, '\0');
        DWORD got = 0;
        SetFilePointer(h, 0, nullptr, FILE_BEGIN);
        ReadFile(h, data.data(), static_cast<DWORD>(size), &got, nullptr);
        return data.substr(0, got);
    }

    HMODULE library_ = nullptr;
    SDeleteFn sDelete_ = nullptr;
    std::string folder_;
};

TEST_F(SecureDeleteDll, DeletesFilesWhateverTheirAttributesAndRefusesWhatIsNoFile) {
    CreateDirectoryA((folder_ + "\\sub").c_str(), nullptr);
    const std::tuple<const char*, std::string, DWORD, short> cases[] = {
        {"plain.lnk", "shortcut contents", FILE_ATTRIBUTE_NORMAL, 1},
        {"locked.lnk", "shortcut contents", FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM, 1},
        {"archive.lnk", "shortcut contents", FILE_ATTRIBUTE_ARCHIVE, 1},
        {"empty.lnk", "", FILE_ATTRIBUTE_NORMAL, 1},
        {"missing.lnk", "", 0, 0},
        {"sub", "", 0, 0},   // a folder stays
    };
    for (auto& [name, data, attributes, result] : cases) {
        std::string path = attributes ? make(name, data, attributes) : folder_ + "\\" + name;
        EXPECT_EQ(sDelete_(path.c_str()), result) << name;
        EXPECT_EQ(there(path), std::string(name) == "sub") << name;
    }
    EXPECT_EQ(sDelete_(""), 0);
    EXPECT_EQ(sDelete_(nullptr), 0);
}

TEST_F(SecureDeleteDll, OverwritesTheContentsBeforeDeleting) {
    const std::string original(200 * 1024 + 7, 'A');   // more than one write chunk
    std::string path = make("secret.dat", original);
    HANDLE reader = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(reader, INVALID_HANDLE_VALUE);
    EXPECT_EQ(sDelete_(path.c_str()), 1);
    const std::string after = read(reader, original.size());
    CloseHandle(reader);
    EXPECT_EQ(after.size(), original.size());
    std::size_t as = 0, zeros = 0;
    for (char c : after) as += c == 'A', zeros += c == '\0';
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
    EXPECT_EQ(read(holder, 16), "keep me");
    CloseHandle(holder);
    EXPECT_EQ(GetFileAttributesA(path.c_str()), before);   // read-only again
    SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL);
    DeleteFileA(path.c_str());
}

}  // namespace

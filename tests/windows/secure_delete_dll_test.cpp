// SecureDel.dll as the program loads it: SDelete by its undecorated name, 1 when the file was
// overwritten and deleted, 0 for anything else.
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <string>
#include <tuple>

using SDeleteFn = short(__stdcall*)(const char*);

TEST(SecureDeleteDll, OverwritesAndDeletesFilesOnlyAndLeavesABusyOneAsItWas) {
    HMODULE library = LoadLibraryA("SecureDel.dll");
    auto sDelete = reinterpret_cast<SDeleteFn>(reinterpret_cast<void*>(GetProcAddress(library, "SDelete")));
    ASSERT_NE(sDelete, nullptr);
    const std::string folder = (std::filesystem::temp_directory_path() / "qv_sdelete").string() + "\\";
    std::filesystem::create_directories(folder + "sub");
    // A reader opened beforehand sees what the file holds when SDelete is done with it.
    const DWORD shareAll = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;
    // The file's name and size, its attributes (0: not made here), the reader's sharing, SDelete's result.
    const std::tuple<const char*, std::size_t, DWORD, DWORD, short> cases[] = {
        {"plain.lnk", 17, FILE_ATTRIBUTE_NORMAL, shareAll, 1},
        {"locked.lnk", 17, FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM, shareAll, 1},
        {"empty.lnk", 0, FILE_ATTRIBUTE_ARCHIVE, shareAll, 1},
        {"big.dat", 200 * 1024 + 7, FILE_ATTRIBUTE_NORMAL, shareAll, 1},   // more than one write chunk
        {"busy.dat", 7, FILE_ATTRIBUTE_READONLY, FILE_SHARE_READ, 0},      // open without write sharing
        {"missing.lnk", 0, 0, 0, 0},
        {"sub", 0, 0, 0, 0},   // a folder stays
    };
    for (const auto& [name, size, attributes, readerShares, result] : cases) {
        SCOPED_TRACE(name);
        const std::string path = folder + name, original(size, 'A');
        if (attributes) {
            std::ofstream(path, std::ios::binary) << original;
            SetFileAttributesA(path.c_str(), attributes);
        }
        const DWORD attributesBefore = GetFileAttributesA(path.c_str());
        HANDLE reader = CreateFileA(path.c_str(), GENERIC_READ, readerShares, nullptr, OPEN_EXISTING, 0, nullptr);
        EXPECT_EQ(sDelete(path.c_str()), result);
        std::string after(size, '?');
        DWORD done = 0;
        ReadFile(reader, after.data(), static_cast<DWORD>(size), &done, nullptr);
        CloseHandle(reader);
        EXPECT_EQ(GetFileAttributesA(path.c_str()), result ? INVALID_FILE_ATTRIBUTES : attributesBefore);
        EXPECT_EQ(done, size);
        // Left as it was, or overwritten with zeros and then random bytes: hardly an 'A' or a zero is left.
        const long as = std::count(after.begin(), after.end(), 'A'), zeros = std::count(after.begin(), after.end(), 0);
        EXPECT_TRUE(result ? size < 1000 || std::max(as, zeros) * 50 < long(size) : after == original);
    }
    EXPECT_EQ(sDelete(""), 0);
    EXPECT_EQ(sDelete(nullptr), 0);
    SetFileAttributesA((folder + "busy.dat").c_str(), FILE_ATTRIBUTE_NORMAL);
    std::filesystem::remove_all(folder);
    FreeLibrary(library);
}

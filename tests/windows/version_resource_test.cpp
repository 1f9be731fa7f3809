// Every image in both shipped program folders carries the program's version in its version
// resource, in the numbers and in the texts.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <vector>

namespace {

const std::string kVersion = std::to_string(QV_VERSION_MAJOR) + "." + std::to_string(QV_VERSION_MINOR) + "." +
                             std::to_string(QV_VERSION_REVISION);

std::vector<std::string> Images(const std::string& folder) {
    std::vector<std::string> found;
    for (const char* pattern : {"\\*.exe", "\\*.dll"}) {
        WIN32_FIND_DATAA data;
        HANDLE find = FindFirstFileA((folder + pattern).c_str(), &data);
        if (find == INVALID_HANDLE_VALUE) continue;
        do found.push_back(folder + "\\" + data.cFileName);
        while (FindNextFileA(find, &data));
        FindClose(find);
    }
    return found;
}

std::string Text(const std::vector<char>& info, const char* name) {
    char* value = nullptr;
    UINT size = 0;
    std::string path = std::string("\\StringFileInfo\\040904b0\\") + name;
    if (!VerQueryValueA(info.data(), path.c_str(), reinterpret_cast<void**>(&value), &size) || !value) return {};
    return value;
}

TEST(VersionResource, EveryShippedImageCarriesTheProgramVersion) {
    for (const char* variable : {"QV_DIST", "QV_DIST_WIN32"}) {
        const char* folder = std::getenv(variable);
        ASSERT_NE(folder, nullptr) << variable;
        std::vector<std::string> images = Images(folder);
        EXPECT_GE(images.size(), 10u) << folder;   // the program, three libraries, six string libraries
        for (const std::string& image : images) {
            SCOPED_TRACE(image);
            DWORD ignored = 0, size = GetFileVersionInfoSizeA(image.c_str(), &ignored);
            ASSERT_GT(size, 0u) << "no version resource";
            std::vector<char> info(size);
            ASSERT_TRUE(GetFileVersionInfoA(image.c_str(), 0, size, info.data()));
            VS_FIXEDFILEINFO* fixed = nullptr;
            UINT fixedSize = 0;
            ASSERT_TRUE(VerQueryValueA(info.data(), "\\", reinterpret_cast<void**>(&fixed), &fixedSize));
            EXPECT_EQ(fixed->dwFileVersionMS, DWORD(QV_VERSION_MAJOR) << 16 | QV_VERSION_MINOR);
            EXPECT_EQ(fixed->dwFileVersionLS, DWORD(QV_VERSION_REVISION) << 16);
            EXPECT_EQ(Text(info, "FileVersion"), kVersion);
            EXPECT_EQ(Text(info, "ProductVersion"), kVersion);
            EXPECT_EQ(Text(info, "OriginalFilename"), image.substr(image.find_last_of('\\') + 1));
        }
    }
}

}  // namespace

// Every image in both shipped program folders carries the program's version in its version
// resource, in the numbers and in the texts.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <vector>

TEST(VersionResource, EveryShippedImageCarriesTheProgramVersion) {
    const std::string version = std::to_string(QV_VERSION_MAJOR) + "." + std::to_string(QV_VERSION_MINOR) + "." +
                                std::to_string(QV_VERSION_REVISION);
    for (const char* variable : {"QV_DIST", "QV_DIST_WIN32"}) {
        ASSERT_NE(std::getenv(variable), nullptr) << variable;
        const std::string folder = std::string(std::getenv(variable)) + "\\";
        std::vector<std::string> images;
        for (const char* pattern : {"*.exe", "*.dll"}) {
            WIN32_FIND_DATAA found;
            HANDLE find = FindFirstFileA((folder + pattern).c_str(), &found);
            for (bool more = find != INVALID_HANDLE_VALUE; more; more = FindNextFileA(find, &found))
                images.push_back(found.cFileName);
            FindClose(find);
        }
        EXPECT_GE(images.size(), 10u) << folder;   // the program, three libraries, six string libraries
        for (const std::string& name : images) {
            SCOPED_TRACE(folder + name);
            std::vector<char> info(GetFileVersionInfoSizeA((folder + name).c_str(), nullptr));
            ASSERT_TRUE(!info.empty() && GetFileVersionInfoA((folder + name).c_str(), 0, info.size(), info.data()));
            void* data = nullptr;
            UINT size = 0;
            ASSERT_TRUE(VerQueryValueA(info.data(), "\\", &data, &size));
            const auto* fixed = static_cast<const VS_FIXEDFILEINFO*>(data);
            EXPECT_EQ(fixed->dwFileVersionMS, DWORD(QV_VERSION_MAJOR) << 16 | QV_VERSION_MINOR);
            EXPECT_EQ(fixed->dwFileVersionLS, DWORD(QV_VERSION_REVISION) << 16);
            for (const std::string text : {"FileVersion", "ProductVersion", "OriginalFilename"}) {
                const std::string path = "\\StringFileInfo\\040904b0\\" + text;
                const bool there = VerQueryValueA(info.data(), path.c_str(), &data, &size);
                EXPECT_EQ(there ? static_cast<const char*>(data) : "none", text[0] == 'O' ? name : version) << text;
            }
        }
    }
}

// Every image in both shipped program folders carries the program's version in its version
// resource, in the numbers and in the texts; and maps as the language libraries are mapped, as
// data only: its resources readable, its code neither started nor callable.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "services/win_services.h"

TEST(ShippedImages, EachCarriesTheProgramVersionAndMapsAsDataOnly) {
    const std::string version = std::to_string(QV_VERSION_MAJOR) + "." + std::to_string(QV_VERSION_MINOR) + "." +
                                std::to_string(QV_VERSION_REVISION);
    qv::win::WinStringLoader loader;
    for (const char* variable : {"QV_DIST", "QV_DIST_WIN32"}) {
        ASSERT_NE(std::getenv(variable), nullptr) << variable;
        int images = 0;
        for (const auto& entry : std::filesystem::directory_iterator(std::getenv(variable))) {
            const std::string path = entry.path().string(), name = entry.path().filename().string(),
                              extension = entry.path().extension().string();
            if (_stricmp(extension.c_str(), ".exe") && _stricmp(extension.c_str(), ".dll")) continue;
            SCOPED_TRACE(path);
            ++images;
            std::vector<char> info(GetFileVersionInfoSizeA(path.c_str(), nullptr));
            ASSERT_TRUE(!info.empty() && GetFileVersionInfoA(path.c_str(), 0, info.size(), info.data()));
            void* data = nullptr;
            UINT size = 0;
            ASSERT_TRUE(VerQueryValueA(info.data(), "\\", &data, &size));
            const auto* fixed = static_cast<const VS_FIXEDFILEINFO*>(data);
            EXPECT_EQ(fixed->dwFileVersionMS, DWORD(QV_VERSION_MAJOR) << 16 | QV_VERSION_MINOR);
            EXPECT_EQ(fixed->dwFileVersionLS, DWORD(QV_VERSION_REVISION) << 16);
            for (const std::string text : {"FileVersion", "ProductVersion", "OriginalFilename"}) {
                const std::string key = "\\StringFileInfo\\040904b0\\" + text;
                const bool there = VerQueryValueA(info.data(), key.c_str(), &data, &size);
                EXPECT_EQ(there ? static_cast<const char*>(data) : "none", text[0] == 'O' ? name : version) << text;
            }
            const auto mapped = loader.load(path);
            ASSERT_TRUE(mapped);
            EXPECT_EQ(GetProcAddress(reinterpret_cast<HMODULE>(mapped), "LockWAllTaskbar"), nullptr);
            EXPECT_EQ(GetModuleHandleA(name.c_str()), nullptr);
            if (name == "langfile0409.dll") {
                const auto title = loader.loadString(mapped, 302, 383);
                EXPECT_EQ(title ? title->substr(0, title->find('\0')) : "none", "Vantrel Quorvel Lite");
            }
            EXPECT_TRUE(loader.free(mapped));
        }
        EXPECT_GE(images, 10) << variable;   // the program, three libraries, six string libraries
    }
}

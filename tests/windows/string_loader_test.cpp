// The language libraries are loaded as data: their strings are readable, their code never runs.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "services/win_services.h"

TEST(WinStringLoader, MapsALibraryAsDataOnly) {
    const char* dist = std::getenv("QV_DIST");
    ASSERT_TRUE(dist && *dist) << "QV_DIST names the program folder";
    qv::win::WinStringLoader loader;
    const auto lang = loader.load(std::string(dist) + "\\langfile0409.dll");
    const auto code = loader.load(std::string(dist) + "\\QuorvelDll.dll");
    ASSERT_TRUE(lang && code);
    const auto text = loader.loadString(lang, 302, 383);
    ASSERT_TRUE(text);
    EXPECT_EQ(text->substr(0, text->find('\0')), "Vantrel Quorvel Lite");
    // A library with code: mapped, yet neither started nor callable.
    EXPECT_EQ(GetProcAddress(reinterpret_cast<HMODULE>(code), "LockWAllTaskbar"), nullptr);
    EXPECT_EQ(GetModuleHandleA("QuorvelDll.dll"), nullptr);
    EXPECT_TRUE(loader.free(lang) && loader.free(code));
}

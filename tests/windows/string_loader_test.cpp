// The language libraries are loaded as data: their strings are readable, their code never runs.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "services/win_services.h"

namespace {

std::string ExeFolder() {
    char path[MAX_PATH * 2] = {};
    std::string p(path, GetModuleFileNameA(nullptr, path, sizeof path));
    return p.substr(0, p.find_last_of('\\') + 1);
}

TEST(WinStringLoader, LoadsOnlyTheDataOfALibrary) {
    const char* dist = std::getenv("QV_DIST");
    ASSERT_TRUE(dist && *dist) << "QV_DIST names the program folder";
    qv::win::WinStringLoader loader;
    struct Case { std::string path; std::uint32_t id; const char* text; } cases[] = {
        {std::string(dist) + "\\langfile0409.dll", 302, "Vantrel Quorvel Lite"},
        // A library with code: mapped, yet neither started nor callable.
        {ExeFolder() + "QuorvelDll.dll", 0, nullptr},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.path);
        const auto handle = loader.load(c.path);
        ASSERT_NE(handle, 0u);
        const auto module = reinterpret_cast<HMODULE>(handle);
        EXPECT_EQ(GetProcAddress(module, "LockWAllTaskbar"), nullptr);
        EXPECT_EQ(GetModuleHandleA("QuorvelDll.dll"), nullptr);
        if (c.text) {
            auto text = loader.loadString(handle, c.id, 383);
            ASSERT_TRUE(text);
            EXPECT_EQ(text->substr(0, text->find('\0')), c.text);
        }
        EXPECT_TRUE(loader.free(handle));
    }
}

}  // namespace

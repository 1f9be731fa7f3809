// Start-up on the real program: the settings file, the failure messages, one instance, and
// the main window in each language.
#include <gtest/gtest.h>

#include "driver.h"
#include "resources/resource_ids.h"

using namespace qv::e2e;

namespace {

class Startup : public ::testing::Test {
protected:
    void SetUp() override { PrepareProgramFolder(); }
    Program program;
};

TEST_F(Startup, StartsWithDefaultsForWhatIsOptionalAndStopsWithOneMessageForWhatIsNot) {
    struct Case { const char *settings, *removed, *message; };
    const Case cases[] = {
        {nullptr, nullptr, nullptr},   // a fresh folder: the settings file is made
        {"[Setting]\r\nLanguage=0409\r\n", nullptr, nullptr},
        {nullptr, "lic0409.dll", nullptr},
        {"[Setting]\r\nLanguage=\r\nCharset=0\r\n", nullptr,
         "Fail to determine language id. Setting.ini file may be missing or corrupted. Operation aborted."},
        {"[Setting]\r\nLanguage=0409\r\nCharset=\r\n", nullptr,
         "Fail to determine character set to be used. Setting.ini file may be missing or corrupted. Operation "
         "aborted."},
        {nullptr, "langfile0409.dll", "The language file required may be missing or corrupted. Operation aborted."},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.settings ? c.settings : "") + (c.removed ? c.removed : ""));
        PrepareProgramFolder();
        if (c.settings) WriteFileBytes(FolderPath("setting.ini"), c.settings);
        if (c.removed) DeleteFileIfPresent(FolderPath(c.removed));
        Program p;
        if (!c.message) {
            EXPECT_NE(p.startMain(), nullptr);
            EXPECT_FALSE(p.messageBox().has_value());
            if (!c.settings) {
                EXPECT_EQ(ReadFileBytes(FolderPath("setting.ini")).value_or(""),
                          "[Setting]\r\nLanguage=0409\r\nCharset=0\r\n\r\n[Skin]\r\nSkinFile = Default.skf\r\n");
            }
            continue;
        }
        p.start();
        ExpectBox(p, c.message, "Error", MessageBoxInfo::Critical);
        EXPECT_TRUE(p.waitExit()) << "no main window after the message";
    }
}

TEST_F(Startup, SecondStartShowsOnlyTheSingleInstanceMessage) {
    ASSERT_NE(program.startMain(), nullptr);
    Program second;
    second.start();
    ExpectBox(second,
              "Application already found running on the system. It may be running on the background. Please make "
              "sure you close the application before launching another instance again.",
              "Error", MessageBoxInfo::Critical);
    EXPECT_TRUE(second.waitExit()) << "no second main window";
}

// The main window's caption is language string 302 in each language. The Chinese ones run
// under a matching locale (the test script starts them so); elsewhere they are skipped.
struct LanguageCase {
    const char* id;
    const char* charset;
    UINT codePage;
};

class Languages : public Startup, public ::testing::WithParamInterface<LanguageCase> {};

TEST_P(Languages, MainCaptionIsLanguageString302) {
    const LanguageCase& c = GetParam();
    if (c.codePage != 1252 && GetACP() != c.codePage) GTEST_SKIP() << "needs code page " << c.codePage;
    WriteFileBytes(FolderPath("setting.ini"),
                   std::string("[Setting]\r\nLanguage=") + c.id + "\r\nCharset=" + c.charset + "\r\n");
    HWND main = program.startMain();
    ASSERT_NE(main, nullptr);
    const std::string library = std::string("langfile") + c.id + ".dll";
    EXPECT_FALSE(LibraryStringW(library, 302).empty());
    EXPECT_EQ(WindowTextW(main), LibraryStringW(library, 302));
    EXPECT_EQ(WindowTextW(GetDlgItem(main, IDC_cmdLock)), LibraryStringW(library, 111));
    Screenshot(main, std::string("qv-main-") + c.id + ".bmp");
}

INSTANTIATE_TEST_SUITE_P(All, Languages,
                         ::testing::Values(LanguageCase{"0409", "0", 1252}, LanguageCase{"0804", "134", 936},
                                           LanguageCase{"0404", "136", 950}),
                         [](const auto& info) { return std::string("Lang") + info.param.id; });

}  // namespace

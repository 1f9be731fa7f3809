// Start-up: settings file, the fixed failure messages, single instance, languages.
#include <gtest/gtest.h>

#include "driver.h"
#include "resources/resource_ids.h"

using namespace qv::e2e;

namespace {

constexpr const char* kMainClass = "QuorvelMainWindow";
const std::string kDefaultSettings = "[Setting]\r\nLanguage=0409\r\nCharset=0\r\n\r\n[Skin]\r\nSkinFile = Default.skf\r\n";

class Startup : public ::testing::Test {
protected:
    void SetUp() override { PrepareProgramFolder(); }

    // Starts the program and expects exactly one message box and no main window.
    MessageBoxInfo expectOnlyMessage() {
        program.start();
        auto box = program.waitMessageBox();
        EXPECT_TRUE(box.has_value());
        if (!box) return {};
        EXPECT_EQ(program.findWindow(kMainClass), nullptr);
        EXPECT_EQ(box->title, "Error");
        EXPECT_EQ(box->icon, MessageBoxInfo::Critical);
        EXPECT_TRUE(box->ok);
        Answer(*box, IDOK);
        EXPECT_TRUE(program.waitExit());
        return *box;
    }

    Program program;
};

TEST_F(Startup, FreshStartCreatesTheSixLineSettingsFileAndShowsTheMainWindow) {
    HWND main = program.startMain();
    ASSERT_NE(main, nullptr);
    EXPECT_EQ(ReadFileBytes(FolderPath("setting.ini")).value_or(""), kDefaultSettings);
    EXPECT_EQ(WindowTextW(main), LibraryStringW("langfile0409.dll", 302));
    EXPECT_FALSE(program.messageBox().has_value());
}

TEST_F(Startup, EmptyLanguageShowsOnlyItsMessage) {
    WriteFileBytes(FolderPath("setting.ini"), "[Setting]\r\nLanguage=\r\nCharset=0\r\n");
    EXPECT_EQ(expectOnlyMessage().text,
              "Fail to determine language id. Setting.ini file may be missing or corrupted. Operation aborted.");
}

TEST_F(Startup, PresentEmptyCharsetShowsItsMessage) {
    WriteFileBytes(FolderPath("setting.ini"), "[Setting]\r\nLanguage=0409\r\nCharset=\r\n");
    EXPECT_EQ(expectOnlyMessage().text,
              "Fail to determine character set to be used. Setting.ini file may be missing or corrupted. "
              "Operation aborted.");
}

TEST_F(Startup, MissingCharsetKeyStartsWithTheDefault) {
    WriteFileBytes(FolderPath("setting.ini"), "[Setting]\r\nLanguage=0409\r\n");
    EXPECT_NE(program.startMain(), nullptr);
}

TEST_F(Startup, MissingLanguageLibraryShowsItsMessage) {
    DeleteFileIfPresent(FolderPath("langfile0409.dll"));
    EXPECT_EQ(expectOnlyMessage().text, "The language file required may be missing or corrupted. Operation aborted.");
}

TEST_F(Startup, MissingSecondLibraryStillStarts) {
    DeleteFileIfPresent(FolderPath("lic0409.dll"));
    HWND main = program.startMain();
    ASSERT_NE(main, nullptr);
    EXPECT_FALSE(program.messageBox().has_value());
}

TEST_F(Startup, SecondStartShowsOnlyTheSingleInstanceMessageAndTouchesNoFile) {
    ASSERT_NE(program.startMain(), nullptr);
    WriteFileBytes(FolderPath("setting.ini"), "[Setting]\r\nLanguage=0409\r\nCharset=0\r\n; marker\r\n");
    DeleteFileIfPresent("C:\\Vantrel\\temp\\qv_langfile0409.dll.marker");
    FILETIME before{};
    {
        HANDLE f = CreateFileA("C:\\Vantrel\\temp\\qv_langfile0409.dll", GENERIC_READ, FILE_SHARE_READ, nullptr,
                               OPEN_EXISTING, 0, nullptr);
        GetFileTime(f, nullptr, nullptr, &before);
        CloseHandle(f);
    }
    Program second;
    second.start();
    auto box = second.waitMessageBox();
    ASSERT_TRUE(box.has_value());
    EXPECT_EQ(box->text,
              "Application already found running on the system. It may be running on the background. Please make "
              "sure you close the application before launching another instance again.");
    EXPECT_EQ(box->title, "Error");
    EXPECT_EQ(box->icon, MessageBoxInfo::Critical);
    EXPECT_EQ(second.findWindow(kMainClass), nullptr);
    Answer(*box, IDOK);
    EXPECT_TRUE(second.waitExit());
    EXPECT_EQ(ReadFileBytes(FolderPath("setting.ini")).value_or(""),
              "[Setting]\r\nLanguage=0409\r\nCharset=0\r\n; marker\r\n");
    FILETIME after{};
    HANDLE f = CreateFileA("C:\\Vantrel\\temp\\qv_langfile0409.dll", GENERIC_READ, FILE_SHARE_READ, nullptr,
                           OPEN_EXISTING, 0, nullptr);
    GetFileTime(f, nullptr, nullptr, &after);
    CloseHandle(f);
    EXPECT_EQ(CompareFileTime(&before, &after), 0);
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
    std::wstring expected = LibraryStringW(std::string("langfile") + c.id + ".dll", 302);
    EXPECT_FALSE(expected.empty());
    EXPECT_EQ(WindowTextW(main), expected);
    EXPECT_EQ(WindowTextW(GetDlgItem(main, IDC_cmdLock)), LibraryStringW(std::string("langfile") + c.id + ".dll", 111));
    Screenshot(main, std::string("qv-main-") + c.id + ".bmp");
}

INSTANTIATE_TEST_SUITE_P(All, Languages,
                         ::testing::Values(LanguageCase{"0409", "0", 1252}, LanguageCase{"0804", "134", 936},
                                           LanguageCase{"0404", "136", 950}),
                         [](const auto& info) { return std::string("Lang") + info.param.id; });

}  // namespace

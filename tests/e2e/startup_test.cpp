// Start-up on the real program: the settings file and the failure messages, one instance, and
// Exit while the lock is off.
#include <gtest/gtest.h>

#include "driver.h"
#include "resources/resource_ids.h"

using namespace qv::e2e;

TEST(Startup, DefaultsForWhatIsOptionalOneMessageForWhatIsNot) {
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
        if (c.message) {
            p.start();
            ExpectBox(p, c.message, "Error");
            EXPECT_TRUE(p.waitExit()) << "no main window after the message";
            continue;
        }
        EXPECT_NE(p.startMain(), nullptr);
        EXPECT_FALSE(p.messageBox().has_value());
        if (!c.settings) {
            EXPECT_EQ(ReadFileBytes(FolderPath("setting.ini")).value_or(""),
                      "[Setting]\r\nLanguage=0409\r\nCharset=0\r\n\r\n[Skin]\r\nSkinFile = Default.skf\r\n");
        }
    }
}

TEST(Startup, SecondStartIsRefusedAndExitWhileOffClosesAtOnce) {
    PrepareProgramFolder();
    Program program;
    HWND main = program.startMain();
    ASSERT_NE(main, nullptr);
    Program second;
    second.start();
    ExpectBox(second,
              "Application already found running on the system. It may be running on the background. Please make "
              "sure you close the application before launching another instance again.",
              "Error");
    EXPECT_TRUE(second.waitExit()) << "no second main window";
    ChooseMenu(main, IDC_mnuFileExit);
    EXPECT_TRUE(program.waitExit());
}

// The main window on the real program: captions and states, the box file, closing, and a
// damaged lock record found at start.
#include <gtest/gtest.h>

#include "app/record_encoding.h"
#include "driver.h"
#include "resources/resource_ids.h"

using namespace qv::e2e;

namespace {

class MainWindow : public ::testing::Test {
protected:
    void SetUp() override { PrepareProgramFolder(); }
    static HWND start(Program& p) {
        HWND main = p.startMain();
        EXPECT_NE(main, nullptr);
        return main;
    }
    Program program;
};

TEST_F(MainWindow, OpensInactiveWithItsCaptionsAndWritesTheBoxFile) {
    HWND main = start(program);
    struct Caption {
        int id;
        unsigned text;
    } captions[] = {{IDC_cmdLock, 111}, {IDC_cmdUnlock, 112}, {IDC_cmdSetPass, 113}, {IDC_cmdCancel, 108},
                    {IDC_cmdSetTime, 115}, {IDC_lbActiveDescrip, 548}, {IDC_lbDeactiveDescrip, 549},
                    {IDC_lbChangeSetting, 554}};
    for (const Caption& c : captions) EXPECT_EQ(WindowTextW(GetDlgItem(main, c.id)), LibraryStringW("langfile0409.dll", c.text)) << c.id;
    EXPECT_TRUE(ControlEnabled(main, IDC_cmdLock));
    EXPECT_FALSE(ControlEnabled(main, IDC_cmdUnlock));
    ASSERT_TRUE(WaitFor([] { return FileExists(FolderPath("bf.dat")); }));
    EXPECT_EQ(ReadFileBytes(FolderPath("bf.dat"))->size(), 4168u);

    // Exit while inactive closes at once, without asking.
    ChooseMenu(main, IDC_mnuFileExit);
    EXPECT_TRUE(program.waitExit());

    DeleteFileIfPresent(FolderPath("bf.dat"));
    Program again;
    start(again);
    EXPECT_TRUE(WaitFor([] { return FileExists(FolderPath("bf.dat")); }));
}

TEST_F(MainWindow, RecordWithAWrongMarkerIsRemovedAtStart) {
    WriteFileBytes(FolderPath("tplockts.ini"), "[LVantrel]\r\nLVantrelA=" + qv::EncodeDigitText("F") +
                                                   "\r\nLVantrelC=" + qv::EncodeDigitText("SomethingElse") + "\r\n");
    WriteFileBytes(FolderPath("tpserial1.dat"), qv::EncodeDigitText("09511642QV0001KEY") + "\r\n");
    WriteFileBytes(FolderPath("tpserial2.dat"), qv::EncodeOffsetText("09511642QV0001KEY") + "\r\n");
    HWND main = start(program);
    EXPECT_TRUE(WaitFor([] {
        return !FileExists(FolderPath("tplockts.ini")) && !FileExists(FolderPath("tpserial1.dat")) &&
               !FileExists(FolderPath("tpserial2.dat"));
    }));
    EXPECT_FALSE(ControlEnabled(main, IDC_cmdUnlock));
    EXPECT_EQ(DialogWith(program, IDC_cButtonUnlock, 2s), nullptr);   // no lock screen
}

}  // namespace

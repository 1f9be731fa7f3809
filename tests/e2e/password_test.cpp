// The passphrase dialogs on the real program: setting it from the main window's Password
// button (on-screen keys, length and confirmation checks, filter of typed text, the store on
// disk), and unlocking a resumed lock with it from the lock screen.
#include <cstring>

#include <gtest/gtest.h>

#include "app/record_encoding.h"
#include "driver.h"
#include "resources/resource_ids.h"

using namespace qv::e2e;

namespace {

std::string LanguageString(unsigned id) { return LibraryString("langfile0409.dll", id); }
std::string WithOwner(const std::string& text) { return Fill(text, "%username", "Tester"); }

constexpr const char* kOneKey =
    "<vid>0951</vid><pid>1642</pid><serial>QV0001KEY</serial><manu>Kingston</manu><prod>DataTraveler</prod>"
    "</device>\r\n";

// The key button typing each character, by id.
int KeyId(char c) {
    static const std::string row1 = "!@#$%^&*()-+", row2 = "1234567890_=", row3 = "QWERTYUIOP{}[]",
                             row4 = "ASDFGHJKL:;?/", row5 = "ZXCVBNM<>,.|\\";
    if (auto at = row1.find(c); at != std::string::npos) return IDC_Cmd11 + static_cast<int>(at);
    if (auto at = row2.find(c); at != std::string::npos) return IDC_cmd1 + static_cast<int>(at);
    if (auto at = row3.find(c); at != std::string::npos) return IDC_cmdq + static_cast<int>(at);
    if (auto at = row4.find(c); at != std::string::npos) return IDC_cmdA + static_cast<int>(at);
    if (auto at = row5.find(c); at != std::string::npos) return IDC_cmdZ + static_cast<int>(at);
    return 0;
}

class Passphrase : public ::testing::Test {
protected:
    void SetUp() override {
        PrepareProgramFolder(true);
        WriteFileBytes(SimFilePath(), kOneKey);
        WriteFileBytes(FolderPath("OwnerLock.ini"), "[OwnerInfo]\r\nName=Tester\r\n");
        if (!settings.empty()) WriteFileBytes(FolderPath("setting.ini"), settings);
        main = program.startMain();
        ASSERT_NE(main, nullptr);
    }

    // Opens frmSetPassword from the main window's Password button.
    HWND openDialog() {
        Click(main, IDC_cmdSetPass);
        return DialogWith(program, IDC_txtPassword2);
    }
    void keys(HWND dialog, const std::string& chars) {
        for (char c : chars) {
            ASSERT_NE(KeyId(c), 0) << c;
            Click(dialog, KeyId(c));
        }
    }
    // A mouse click on a field, as the user chooses where the keys type.
    static void clickField(HWND dialog, int id) {
        HWND field = GetDlgItem(dialog, id);
        PostMessageA(field, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(4, 4));
        PostMessageA(field, WM_LBUTTONUP, 0, MAKELPARAM(4, 4));
    }
    // Waits until the field holds `expected`; returns what it holds.
    static std::string waitField(HWND dialog, int id, const std::string& expected) {
        std::string text;
        WaitFor([&] { return (text = ControlText(dialog, id)) == expected; }, 5s);
        return text;
    }
    std::string settings;   // setting.ini, when not the one the program makes
    Program program;
    HWND main = nullptr;
};

// Pastes into the set-password field, under each language and its code page: a character
// outside the passphrase's set goes whole, with one message.
struct PasteCase {
    const char* id;
    const char* charset;
    UINT codePage;
    const wchar_t* pasted;   // the middle character's second byte in the code page is "@" or "A"
};

class PassphrasePaste : public Passphrase, public ::testing::WithParamInterface<PasteCase> {
protected:
    void SetUp() override {
        const PasteCase& c = GetParam();
        if (c.codePage != 1252 && GetACP() != c.codePage) GTEST_SKIP() << "needs code page " << c.codePage;
        settings = std::string("[Setting]\r\nLanguage=") + c.id + "\r\nCharset=" + c.charset + "\r\n";
        Passphrase::SetUp();
    }
    static bool paste(HWND field, const std::wstring& text) {
        if (!OpenClipboard(nullptr)) return false;
        EmptyClipboard();
        HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE, (text.size() + 1) * sizeof(wchar_t));
        if (memory) {
            std::memcpy(GlobalLock(memory), text.c_str(), (text.size() + 1) * sizeof(wchar_t));
            GlobalUnlock(memory);
            if (!SetClipboardData(CF_UNICODETEXT, memory)) GlobalFree(memory);
        }
        CloseClipboard();
        return memory && PostMessageA(field, WM_PASTE, 0, 0);
    }
};

}  // namespace

TEST_P(PassphrasePaste, ForeignCharacterIsRefusedWholeWithOneMessage) {
    const PasteCase& c = GetParam();
    HWND dialog = openDialog();
    ASSERT_NE(dialog, nullptr);
    ASSERT_TRUE(paste(GetDlgItem(dialog, IDC_txtPassword), c.pasted));
    const std::string lib = std::string("langfile") + c.id + ".dll";
    ExpectBox(program, LibraryString(lib, 526), LibraryString(lib, 300), MessageBoxInfo::Information);
    EXPECT_EQ(waitField(dialog, IDC_txtPassword, "AB"), "AB");
    EXPECT_FALSE(program.messageBox().has_value()) << "a second message";   // the field is set after all of them
}

INSTANTIATE_TEST_SUITE_P(All, PassphrasePaste,
                         ::testing::Values(PasteCase{"0409", "0", 1252, L"a\u00E9b"},
                                           PasteCase{"0804", "134", 936, L"a\u4E02b"},
                                           PasteCase{"0404", "136", 950, L"a\u4E59b"}),
                         [](const auto& info) { return std::string("Lang") + info.param.id; });

TEST_F(Passphrase, SetOnTheKeysAfterATooShortAndAMismatchedTryStoresItEnciphered) {
    HWND dialog = openDialog();
    ASSERT_NE(dialog, nullptr);
    EXPECT_EQ(WindowText(dialog), LanguageString(305));
    EXPECT_EQ(ControlText(dialog, IDC_cmd77), "&&");
    EXPECT_EQ(ControlText(dialog, IDC_cmdSpecial2), "\\");
    EXPECT_EQ(static_cast<char>(SendMessageA(GetDlgItem(dialog, IDC_txtPassword), EM_GETPASSWORDCHAR, 0, 0)), '*');
    keys(dialog, "KEY-202");
    Click(dialog, IDC_cmdOk);
    ExpectBox(program, LanguageString(523), LanguageString(300), MessageBoxInfo::Exclamation);
    keys(dialog, "4");   // still into the first field
    clickField(dialog, IDC_txtPassword2);
    keys(dialog, "KEY-2025");
    Click(dialog, IDC_cmdOk);
    ExpectBox(program, LanguageString(524), LanguageString(300), MessageBoxInfo::Exclamation);
    Click(dialog, IDC_cmdBackspace);   // the second field is the active one now
    keys(dialog, "4");
    EXPECT_EQ(waitField(dialog, IDC_txtPassword2, "KEY-2024"), "KEY-2024");
    EXPECT_EQ(ControlText(dialog, IDC_txtPassword), "KEY-2024");
    EXPECT_FALSE(FileExists(FolderPath("pass.st")));
    Sleep(700);   // let the keys paint
    Screenshot(dialog, "qv-set-password.bmp");
    Click(dialog, IDC_cmdOk);
    ExpectBox(program, WithOwner(LanguageString(525)), LanguageString(304), MessageBoxInfo::Information);
    EXPECT_TRUE(WaitFor([&] { return !IsWindow(dialog); }, 5s));
    EXPECT_FALSE(FileExists(FolderPath("pass.ini")));
    EXPECT_EQ(ReadFileBytes(FolderPath("pass.st")).value_or("KEY-2024").find("KEY-2024"), std::string::npos);
    EXPECT_EQ(ControlText(main, IDC_Label3), "");
    EXPECT_FALSE(program.messageBox().has_value());
}

TEST_F(Passphrase, TypedTextIsUpperCasedAndFiltered) {
    HWND dialog = openDialog();
    ASSERT_NE(dialog, nullptr);
    HWND field = GetDlgItem(dialog, IDC_txtPassword);
    PostMessageA(field, WM_CHAR, 'a', 1);
    PostMessageA(field, WM_CHAR, 'b', 1);
    EXPECT_EQ(waitField(dialog, IDC_txtPassword, "AB"), "AB");
    PostMessageA(field, WM_CHAR, ' ', 1);
    ExpectBox(program, LanguageString(526), LanguageString(300), MessageBoxInfo::Information);
    EXPECT_EQ(waitField(dialog, IDC_txtPassword, "AB"), "AB");
    // Keys append at the end; Delete takes the selection, else the last character.
    keys(dialog, "CD");
    EXPECT_EQ(waitField(dialog, IDC_txtPassword, "ABCD"), "ABCD");
    Click(dialog, IDC_cmdDel);
    EXPECT_EQ(waitField(dialog, IDC_txtPassword, "ABC"), "ABC");
    SendMessageA(field, EM_SETSEL, 1, 2);
    Click(dialog, IDC_cmdDel);
    EXPECT_EQ(waitField(dialog, IDC_txtPassword, "AC"), "AC");
    EXPECT_FALSE(program.messageBox().has_value());
    Click(dialog, IDC_cmdCancel);
    EXPECT_TRUE(WaitFor([&] { return !IsWindow(dialog); }, 5s));
    EXPECT_FALSE(FileExists(FolderPath("pass.st")));
}

// A lock still recorded (in the program folder, as older versions kept it) at a start from the
// PC while the key is away: the lock screen's Unlock button opens frmPassword, and the key's
// passphrase typed on the keys ends the lock and the program.
TEST_F(Passphrase, UnlocksAResumedLock) {
    ASSERT_TRUE(WaitFor([] { return FileExists(FolderPath("bf.dat")); }));
    program.kill();
    StorePassphrase("09511642QV0001KEY", "OPEN-SESAME1");
    CopyProgramToPc();
    const std::string pc = std::string(kPcFolder) + "\\";
    WriteFileBytes(pc + "tplockts.ini", "[LVantrel]\r\nLVantrelA=" + qv::EncodeDigitText("F") +
                                            "\r\nLVantrelC=" + qv::EncodeDigitText("VantrelLockEnable") + "\r\n");
    WriteFileBytes(pc + "tpserial1.dat", qv::EncodeDigitText("09511642QV0001KEY") + "\r\n");
    WriteFileBytes(pc + "tpserial2.dat", qv::EncodeOffsetText("09511642QV0001KEY") + "\r\n");
    Simulate("pull-key");

    Program locked;
    locked.start("quorvel.exe", kPcFolder);
    HWND lock = DialogWith(locked, IDC_cButtonUnlock);
    ASSERT_NE(lock, nullptr);
    // The user's click activates the lock screen, which then owns the dialog it opens.
    SetForegroundWindow(lock);
    WaitFor([&] { return GetForegroundWindow() == lock; }, 5s);
    Click(lock, IDC_cButtonUnlock);
    HWND dialog = DialogWith(locked, IDC_lbPass);
    ASSERT_NE(dialog, nullptr);
    EXPECT_EQ(WindowText(dialog), LanguageString(114));
    EXPECT_TRUE(GetWindowLongA(dialog, GWL_EXSTYLE) & WS_EX_TOPMOST);
    // Above the full-screen lock screen, where the user can see it.
    RECT r{};
    GetWindowRect(GetDlgItem(dialog, IDC_cmdq), &r);
    EXPECT_TRUE(WaitFor([&] { return GetAncestor(WindowFromPoint({r.left + 3, r.top + 3}), GA_ROOT) == dialog; }, 3s));
    keys(dialog, "OPEN");
    Click(dialog, IDC_cmdOk);
    ExpectBox(locked, LanguageString(527), LanguageString(302), MessageBoxInfo::Critical);
    keys(dialog, "-SESAME1");
    EXPECT_EQ(waitField(dialog, IDC_txtPassword, "OPEN-SESAME1"), "OPEN-SESAME1");
    Sleep(700);   // let the keys paint
    Screenshot(dialog, "qv-password.bmp");
    Click(dialog, IDC_cmdOk);
    EXPECT_TRUE(locked.waitExit(10s)) << "the resumed lock's main window closes after the unlock";
    for (const std::string& gone : {pc + "tplockts.ini", RecordPath("tplockts.ini"), pc + "pass.ini"})
        EXPECT_FALSE(FileExists(gone)) << gone;
}

// The lock-duration dialog and the two recovery-settings dialogs, driven through the main
// window: the stored duration, the option button groups, and texts that fit their controls.
// QV_LANGUAGE (default 0409) picks the language; run with 0804 under a Chinese locale to
// check the Chinese layout. Screenshots go to build/e2e-screenshots/qv-<dialog>-<language>.bmp.
#include <cstdlib>

#include <gtest/gtest.h>

#include "driver.h"
#include "resources/resource_ids.h"

using namespace qv::e2e;

namespace {

constexpr const char* kOneKey =
    "<vid>0951</vid><pid>1642</pid><serial>QV0001KEY</serial><manu>Kingston</manu><prod>DataTraveler</prod>"
    "</device>\r\n";

std::string Language() {
    const char* value = std::getenv("QV_LANGUAGE");
    return value && *value ? value : "0409";
}
bool Chinese() { return Language() == "0804" || Language() == "0404"; }

std::string LanguageString(unsigned id) { return LibraryString("langfile" + Language() + ".dll", id); }

std::string DurationText(int hours) {
    return LanguageString(560) + " " + std::to_string(hours) + " " + LanguageString(561) + ".";
}

bool Checked(HWND dialog, int id) { return SendMessageA(GetDlgItem(dialog, id), BM_GETCHECK, 0, 0) == BST_CHECKED; }

// A real mouse click on a control: the control itself reacts (an option button checks itself
// and clears its group) before the dialog hears of it.
void MouseClick(HWND dialog, int id) {
    HWND control = GetDlgItem(dialog, id);
    PostMessageA(control, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(3, 3));
    PostMessageA(control, WM_LBUTTONUP, 0, MAKELPARAM(3, 3));
}

// Whether a control's text fits it in the font the program gives it: labels wrap within their
// width and must not need more height; buttons keep their caption on one line with a margin.
struct FontOf {
    int points;
    int charset;
};
void ExpectFits(HWND dialog, int id, FontOf font, bool button = false) {
    HWND control = GetDlgItem(dialog, id);
    ASSERT_NE(control, nullptr) << id;
    const std::string text = WindowText(control);
    RECT client{};
    GetClientRect(control, &client);
    HDC dc = GetDC(nullptr);
    HFONT f = CreateFontA(-MulDiv(font.points, GetDeviceCaps(dc, LOGPIXELSY), 72), 0, 0, 0, FW_NORMAL, 0, 0, 0,
                          static_cast<DWORD>(font.charset), 0, 0, 0, 0, "MS Shell Dlg");
    HGDIOBJ old = SelectObject(dc, f);
    RECT need{0, 0, client.right, 0};
    if (button) {
        DrawTextA(dc, text.c_str(), -1, &need, DT_CALCRECT | DT_SINGLELINE);
        EXPECT_LE(need.right + 8, client.right) << id << " \"" << text << "\"";
    } else {
        DrawTextA(dc, text.c_str(), -1, &need, DT_CALCRECT | DT_WORDBREAK | DT_EXPANDTABS | DT_NOPREFIX);
        EXPECT_LE(need.bottom, client.bottom) << id << " \"" << text << "\"";
        EXPECT_LE(need.right, client.right) << id << " \"" << text << "\"";
    }
    SelectObject(dc, old);
    DeleteObject(f);
    ReleaseDC(nullptr, dc);
}

class SettingsDialogs : public ::testing::Test {
protected:
    void SetUp() override {
        PrepareProgramFolder(true);
        WriteFileBytes(SimFilePath(), kOneKey);
        WriteFileBytes(FolderPath("OwnerLock.ini"), "[OwnerInfo]\r\nName=Tester\r\n");
        WriteFileBytes(FolderPath("setting.ini"), "[Setting]\r\nLanguage=" + Language() +
                                                      "\r\nCharset=" + std::to_string(charset()) + "\r\n");
        main = program.startMain();
        ASSERT_NE(main, nullptr);
    }

    static int charset() { return Language() == "0804" ? 134 : Language() == "0404" ? 136 : 0; }
    // The font of captions that follow the language's font rule.
    static FontOf ruleFont() { return {Chinese() ? 9 : 8, charset()}; }
    // The dialog's own font, for controls the program leaves alone.
    static FontOf builtInFont() { return {8, DEFAULT_CHARSET}; }

    // The program's dialog holding the control `id` (the main window has controls of its own).
    HWND waitDialogWith(int id) { return DialogWith(program, id, 15s, main); }
    static void screenshot(HWND dialog, const std::string& name) {
        Screenshot(dialog, "qv-" + name + "-" + Language() + ".bmp");
    }
    // Chooses `hours` in an open lock-duration dialog and confirms it.
    void chooseDuration(HWND dialog, int hours) {
        SendMessageA(GetDlgItem(dialog, IDC_combo1), CB_SETCURSEL, static_cast<WPARAM>(hours - 1), 0);
        Click(dialog, IDC_cmdOk);
        ExpectBox(program, LanguageString(531) + " " + std::to_string(hours) + " " + LanguageString(122) + ".", "Quorvel",
                  MessageBoxInfo::None);
        EXPECT_TRUE(WaitFor([&] { return !IsWindow(dialog); }, 5s));
    }

    Program program;
    HWND main = nullptr;
};

}  // namespace

TEST_F(SettingsDialogs, SetDurationAsksForAnHourThenStoresFive) {
    Click(main, IDC_cmdSetTime);
    HWND dialog = waitDialogWith(IDC_combo1);
    ASSERT_NE(dialog, nullptr);
    EXPECT_EQ(WindowText(dialog), LanguageString(119));
    EXPECT_EQ(ControlText(dialog, IDC_combo1), "");
    EXPECT_EQ(SendMessageA(GetDlgItem(dialog, IDC_combo1), CB_GETCOUNT, 0, 0), 24);
    for (int id : {IDC_lbDuration, IDC_lbHour, IDC_lbNote}) ExpectFits(dialog, id, ruleFont());
    for (int id : {IDC_cmdOk, IDC_cmdCancel}) ExpectFits(dialog, id, ruleFont(), true);
    screenshot(dialog, "frmSetTimer");

    Click(dialog, IDC_cmdOk);
    ExpectBox(program, "Please select hour.", "Quorvel", MessageBoxInfo::Critical);
    EXPECT_TRUE(IsWindow(dialog));
    EXPECT_FALSE(FileExists(FolderPath("tmhr.tmp")));

    chooseDuration(dialog, 5);
    EXPECT_TRUE(FileExists(FolderPath("tmhr.tmp")));
    EXPECT_FALSE(FileExists(FolderPath("tmhr.ini")));

    // The next opening offers the stored choice.
    Click(main, IDC_cmdSetTime);
    dialog = waitDialogWith(IDC_combo1);
    ASSERT_NE(dialog, nullptr);
    EXPECT_EQ(ControlText(dialog, IDC_combo1), "5");
    Click(dialog, IDC_cmdCancel);
    EXPECT_TRUE(WaitFor([&] { return !IsWindow(dialog); }, 5s));
}

TEST_F(SettingsDialogs, SettingsEntryShowsNoTimerAndItsOptionsWorkAsGroups) {
    ChooseMenu(main, IDC_Setting2);
    HWND dialog = waitDialogWith(IDC_lbTimeDuration);
    ASSERT_NE(dialog, nullptr);
    EXPECT_EQ(WindowText(dialog), LanguageString(124));
    EXPECT_EQ(ControlText(dialog, IDC_lbTimeDuration), LanguageString(562));
    EXPECT_EQ(ControlText(dialog, IDC_cmdClose), LanguageString(128));
    EXPECT_EQ(GetDlgItem(dialog, IDC_cmdSave), nullptr);
    EXPECT_EQ(GetDlgItem(dialog, IDC_cmdDeletePass), nullptr);
    for (int id : {IDC_lbfrDescrip, IDC_lbPassProtec, IDC_lbPassSet, IDC_lbPassNo, IDC_lbTimerProtec, IDC_lbTimerSet,
                   IDC_lbTimerNo, IDC_lbTimeDuration})
        ExpectFits(dialog, id, ruleFont());
    for (int id : {IDC_cmdSetPass, IDC_cmdSetTime, IDC_cmdClose}) ExpectFits(dialog, id, ruleFont(), true);
    screenshot(dialog, "frmRemind");

    // Each pair is a group of its own; a click on a choice's text picks it too.
    MouseClick(dialog, IDC_Option2_1);
    EXPECT_TRUE(WaitFor([&] { return Checked(dialog, IDC_Option2_1); }, 5s));
    MouseClick(dialog, IDC_Option1_0);
    EXPECT_TRUE(WaitFor([&] { return Checked(dialog, IDC_Option1_0); }, 5s));
    EXPECT_TRUE(Checked(dialog, IDC_Option2_1));
    MouseClick(dialog, IDC_lbTimerSet);
    EXPECT_TRUE(WaitFor([&] { return Checked(dialog, IDC_Option2_0); }, 5s));
    EXPECT_FALSE(Checked(dialog, IDC_Option2_1));
    EXPECT_TRUE(Checked(dialog, IDC_Option1_0));

    // A duration set from here; then the no-timer choice and Close remove it again.
    Click(dialog, IDC_cmdSetTime);
    HWND setTimer = waitDialogWith(IDC_combo1);
    ASSERT_NE(setTimer, nullptr);
    chooseDuration(setTimer, 5);
    EXPECT_TRUE(FileExists(FolderPath("tmhr.tmp")));
    EXPECT_EQ(ControlText(dialog, IDC_lbTimeDuration), LanguageString(562)) << "not refreshed here";
    MouseClick(dialog, IDC_Option2_1);
    EXPECT_TRUE(WaitFor([&] { return Checked(dialog, IDC_Option2_1); }, 5s));
    Click(dialog, IDC_cmdClose);
    EXPECT_TRUE(WaitFor([&] { return !IsWindow(dialog); }, 5s));
    EXPECT_FALSE(FileExists(FolderPath("tmhr.tmp")));
    EXPECT_FALSE(program.messageBox().has_value());
}

TEST_F(SettingsDialogs, ArmingShowsRecoverySettingsWithTheDefaultAndSaveDropsIt) {
    // Arming asks for a passphrase for the key first: set one on the keyboard dialog.
    Click(main, IDC_cmdLock);
    auto ask = program.waitMessageBox(10s);
    ASSERT_TRUE(ask.has_value() && ask->yes);
    Answer(*ask, IDYES);
    HWND keyboard = waitDialogWith(IDC_txtPassword2);
    ASSERT_NE(keyboard, nullptr);
    for (int i = 0; i < 8; ++i) Click(keyboard, IDC_cmd1 + i);
    MouseClick(keyboard, IDC_txtPassword2);
    for (int i = 0; i < 8; ++i) Click(keyboard, IDC_cmd1 + i);
    ASSERT_TRUE(WaitFor([&] { return ControlText(keyboard, IDC_txtPassword2) == "12345678"; }, 5s));
    Click(keyboard, IDC_cmdOk);
    auto stored = program.waitMessageBox(5s);
    ASSERT_TRUE(stored.has_value());
    Answer(*stored, IDOK);

    HWND dialog = waitDialogWith(IDC_cmdDeletePass);
    ASSERT_NE(dialog, nullptr);
    EXPECT_EQ(WindowText(dialog), LanguageString(563));
    EXPECT_EQ(ControlText(dialog, IDC_lbTimeDuration), DurationText(24));
    EXPECT_TRUE(FileExists(FolderPath("tmhr.tmp")));
    EXPECT_TRUE(Checked(dialog, IDC_Option2_0));
    for (int id : {IDC_lbfrDescrip, IDC_lbPassProtec, IDC_lbPassSet, IDC_lbPassNo, IDC_lbTimerProtec, IDC_lbTimerSet,
                   IDC_lbTimerNo})
        ExpectFits(dialog, id, ruleFont());
    ExpectFits(dialog, IDC_lbTimeDuration, builtInFont());
    for (int id : {IDC_cmdSetPass, IDC_cmdSetTime, IDC_cmdSave, IDC_cmdClose}) ExpectFits(dialog, id, ruleFont(), true);
    ExpectFits(dialog, IDC_cmdDeletePass, builtInFont(), true);
    screenshot(dialog, "frmRemindTime");

    MouseClick(dialog, IDC_Option2_1);
    EXPECT_TRUE(WaitFor([&] { return !ControlEnabled(dialog, IDC_cmdSetTime); }, 5s));
    EXPECT_FALSE(Checked(dialog, IDC_Option2_0));
    Click(dialog, IDC_cmdSave);
    std::string saved = LanguageString(555);
    saved.replace(saved.find("%username"), 9, "Tester");
    ExpectBox(program, saved, LanguageString(307), MessageBoxInfo::Information);
    EXPECT_TRUE(WaitFor([&] { return !IsWindow(dialog); }, 5s));
    EXPECT_FALSE(FileExists(FolderPath("tmhr.tmp")));
    EXPECT_TRUE(WaitFor([&] { return ControlEnabled(main, IDC_cmdUnlock); }, 5s)) << "arming goes on";
}

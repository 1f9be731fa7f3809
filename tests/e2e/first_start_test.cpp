// The first start in the language QV_LANGUAGE names (0409 unless the test script runs it under
// a Chinese locale): one instance only, the recovery settings, the lock duration, choosing the
// key among three devices, setting its passphrase and arming, with texts that fit their controls.
#include <commctrl.h>

#include <cstdlib>
#include <cstring>

#include <gtest/gtest.h>

#include "driver.h"
#include "resources/resource_ids.h"

using namespace qv::e2e;

namespace {

const char* kThreeDevices =
    "<vid>0951</vid><pid>1642</pid><serial>QV0001KEY</serial><manu>Keystone Media</manu><prod>Key Drive 2.0</prod></device>\r\n"
    "<vid>058F</vid><pid>6387</pid><serial></serial><manu>Generic</manu><prod>Flash Disk</prod></device>\r\n"
    "<vid>0781</vid><pid>5567</pid><serial>4C5300012308</serial><manu>Northwind</manu><prod>Blade Stick</prod></device>\r\n";

const std::string kLanguage = std::getenv("QV_LANGUAGE") ? std::getenv("QV_LANGUAGE") : "0409";
const int kCharset = kLanguage == "0804" ? 134 : kLanguage == "0404" ? 136 : 0;
// Outside the passphrase's set: its middle character's second byte in the code page is "@" or "A".
const wchar_t* kForeign = kLanguage == "0804" ? L"a\u4E02b" : kLanguage == "0404" ? L"a\u4E59b" : L"a\u00E9b";

std::string L(unsigned id) { return LibraryString("langfile" + kLanguage + ".dll", id, "%username", "Tester"); }
std::string Lic(unsigned id) { return LibraryString("lic" + kLanguage + ".dll", id, "%s", "Quorvel Lite"); }
std::string DurationText(int hours) { return L(560) + " " + std::to_string(hours) + " " + L(561) + "."; }
bool Checked(HWND dialog, int id) { return SendMessageA(GetDlgItem(dialog, id), BM_GETCHECK, 0, 0) == BST_CHECKED; }

// A real mouse click: the control itself reacts (an option button clears its group) before the
// dialog hears of it.
void MouseClick(HWND dialog, int id) {
    PostMessageA(GetDlgItem(dialog, id), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(3, 3));
    PostMessageA(GetDlgItem(dialog, id), WM_LBUTTONUP, 0, MAKELPARAM(3, 3));
}

// Whether the controls' texts fit them in the font the program gives them: labels wrap within
// their width and must not need more height; buttons keep their caption on one line with a margin.
void ExpectFit(HWND dialog, std::initializer_list<int> ids, int points, int charset) {
    HDC dc = GetDC(nullptr);
    HFONT font = CreateFontA(-MulDiv(points, GetDeviceCaps(dc, LOGPIXELSY), 72), 0, 0, 0, FW_NORMAL, 0, 0, 0,
                             static_cast<DWORD>(charset), 0, 0, 0, 0, "MS Shell Dlg");
    HGDIOBJ old = SelectObject(dc, font);
    for (int id : ids) {
        const std::string text = ControlText(dialog, id);
        char kind[16] = {};
        GetClassNameA(GetDlgItem(dialog, id), kind, sizeof kind);
        const bool button = std::string(kind) == "Button";
        RECT client{}, need{};
        GetClientRect(GetDlgItem(dialog, id), &client);
        need.right = client.right;
        const UINT format = button ? DT_SINGLELINE : DT_WORDBREAK | DT_EXPANDTABS | DT_NOPREFIX;
        DrawTextA(dc, text.c_str(), -1, &need, DT_CALCRECT | format);
        EXPECT_LE(need.right + (button ? 8 : 0), client.right) << id << " \"" << text << "\"";
        EXPECT_LE(need.bottom, client.bottom) << id << " \"" << text << "\"";
    }
    DeleteObject(SelectObject(dc, old));
    ReleaseDC(nullptr, dc);
}

bool Paste(HWND field, const std::wstring& text) {
    const std::size_t bytes = (text.size() + 1) * sizeof(wchar_t);
    HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE, bytes);
    if (!memory || !OpenClipboard(nullptr)) {
        if (memory) GlobalFree(memory);
        return false;
    }
    std::memcpy(GlobalLock(memory), text.c_str(), bytes);
    GlobalUnlock(memory);
    EmptyClipboard();
    const bool set = SetClipboardData(CF_UNICODETEXT, memory) != nullptr;
    CloseClipboard();
    if (!set) GlobalFree(memory);
    return set && PostMessageA(field, WM_PASTE, 0, 0);
}

}  // namespace

TEST(FirstStart, OneInstanceSettingsDurationKeyAndPassphraseThenArmed) {
    const int points = kCharset ? 9 : 8;   // of the captions that follow the language's font rule
    PrepareProgramFolder();
    WriteFileBytes(SimFilePath(), kThreeDevices);
    WriteFileBytes(FolderPath("OwnerLock.ini"), "[OwnerInfo]\r\nName=Tester\r\n");
    WriteFileBytes(FolderPath("setting.ini"),
                   "[Setting]\r\nLanguage=" + kLanguage + "\r\nCharset=" + std::to_string(kCharset) + "\r\n");
    Program program;
    HWND main = program.startMain();
    EXPECT_EQ(WindowText(main), L(302));
    EXPECT_EQ(ControlText(main, IDC_cmdLock), L(111));
    EXPECT_FALSE(ControlEnabled(main, IDC_cmdUnlock));
    EXPECT_TRUE(WaitFor([] { return ReadFileBytes(FolderPath("bf.dat")).value_or("").size() == 4168; }));
    Program second;   // one instance only
    second.start();
    ExpectBox(second,
              "Application already found running on the system. It may be running on the background. Please make "
              "sure you close the application before launching another instance again.",
              "Error");
    EXPECT_TRUE(second.waitExit()) << "no second main window";

    // The recovery settings: no timer yet; each option pair is a group of its own, and a click
    // on a choice's text picks it too.
    Click(main, IDC_Setting2);
    HWND dialog = DialogWith(program, IDC_lbTimeDuration, 15s, main);
    EXPECT_EQ(WindowText(dialog), L(124));
    EXPECT_EQ(ControlText(dialog, IDC_lbTimeDuration), L(562));
    ExpectFit(dialog, {IDC_lbfrDescrip, IDC_lbPassProtec, IDC_lbPassSet, IDC_lbPassNo, IDC_lbTimerProtec,
                       IDC_lbTimerSet, IDC_lbTimerNo, IDC_lbTimeDuration, IDC_cmdSetPass, IDC_cmdSetTime, IDC_cmdClose},
              points, kCharset);
    MouseClick(dialog, IDC_Option2_1);
    MouseClick(dialog, IDC_Option1_0);
    EXPECT_TRUE(WaitFor([&] { return Checked(dialog, IDC_Option1_0) && Checked(dialog, IDC_Option2_1); }, 5s));
    MouseClick(dialog, IDC_lbTimerSet);
    EXPECT_TRUE(WaitFor([&] { return Checked(dialog, IDC_Option2_0) && !Checked(dialog, IDC_Option2_1); }, 5s));
    EXPECT_TRUE(Checked(dialog, IDC_Option1_0));
    Click(dialog, IDC_cmdClose);
    EXPECT_TRUE(WaitFor([&] { return !IsWindow(dialog); }, 5s));

    // The lock duration: an hour must be chosen; the next opening offers the stored choice.
    Click(main, IDC_cmdSetTime);
    dialog = DialogWith(program, IDC_combo1, 15s, main);
    EXPECT_EQ(WindowText(dialog), L(119));
    EXPECT_EQ(SendMessageA(GetDlgItem(dialog, IDC_combo1), CB_GETCOUNT, 0, 0), 24);
    ExpectFit(dialog, {IDC_lbDuration, IDC_lbHour, IDC_lbNote, IDC_cmdOk, IDC_cmdCancel}, points, kCharset);
    Click(dialog, IDC_cmdOk);
    ExpectBox(program, "Please select hour.", "Quorvel");
    EXPECT_FALSE(FileExists(FolderPath("tmhr.tmp")));
    SendMessageA(GetDlgItem(dialog, IDC_combo1), CB_SETCURSEL, 4, 0);
    Click(dialog, IDC_cmdOk);
    ExpectBox(program, L(531) + " 5 " + L(122) + ".", "Quorvel");
    EXPECT_TRUE(WaitFor([&] { return !IsWindow(dialog); }, 5s));
    EXPECT_TRUE(FileExists(FolderPath("tmhr.tmp")));
    Click(main, IDC_cmdSetTime);
    dialog = DialogWith(program, IDC_combo1, 15s, main);
    EXPECT_EQ(ControlText(dialog, IDC_combo1), "5");
    Click(dialog, IDC_cmdCancel);
    EXPECT_TRUE(WaitFor([&] { return !IsWindow(dialog); }, 5s));

    // Arming with three devices attached: one without a serial is refused; the one chosen becomes the key.
    Click(main, IDC_cmdLock);
    dialog = DialogWith(program, IDC_ListView1);
    EXPECT_EQ(WindowText(dialog), Lic(533));
    HWND list = GetDlgItem(dialog, IDC_ListView1);
    ASSERT_TRUE(WaitFor([&] { return SendMessageA(list, LVM_GETITEMCOUNT, 0, 0) == 3; }, 5s));
    PostMessageA(list, WM_KEYDOWN, VK_END, 0);   // complete devices first, each group in list order
    Click(dialog, IDC_cmdOk);
    ExpectBox(program, Lic(542), Lic(300));
    PostMessageA(list, WM_KEYDOWN, VK_UP, 0);
    Click(dialog, IDC_cmdOk);
    ExpectBox(program, L(566), Lic(300), IDYES);
    ExpectBox(program, L(558) + "\r\n" + L(559), L(304), IDYES);

    // Its passphrase: a pasted character outside the passphrase's set goes whole with one
    // message; too short, then not confirmed, then set.
    dialog = DialogWith(program, IDC_txtPassword2, 15s, main);
    EXPECT_EQ(WindowText(dialog), L(305));
    EXPECT_EQ(ControlText(dialog, IDC_cmd77), "&&");
    HWND field = GetDlgItem(dialog, IDC_txtPassword);
    EXPECT_EQ(SendMessageA(field, EM_GETPASSWORDCHAR, 0, 0), '*');
    ASSERT_TRUE(Paste(field, kForeign));
    ExpectBox(program, L(526), L(300));
    EXPECT_TRUE(WaitFor([&] { return ControlText(dialog, IDC_txtPassword) == "AB"; }, 5s));
    EXPECT_FALSE(program.waitMessageBox(1s).has_value()) << "a second message";
    SendMessageA(field, EM_SETSEL, 0, 2);
    Click(dialog, IDC_cmdDel);   // the selection, else the last character
    auto keys = [&](const std::string& digits) {   // the keys "1" to "9" and "0" in a row
        for (char d : digits) Click(dialog, IDC_cmd1 + (d == '0' ? 9 : d - '1'));
    };
    keys("1234567");
    EXPECT_TRUE(WaitFor([&] { return ControlText(dialog, IDC_txtPassword) == "1234567"; }, 5s));
    Click(dialog, IDC_cmdOk);
    ExpectBox(program, L(523), L(300));
    keys("8");   // still into the first field
    MouseClick(dialog, IDC_txtPassword2);
    keys("12345679");
    Click(dialog, IDC_cmdOk);
    ExpectBox(program, L(524), L(300));
    Click(dialog, IDC_cmdBackspace);   // the second field is the active one now
    keys("8");
    EXPECT_TRUE(WaitFor([&] { return ControlText(dialog, IDC_txtPassword2) == "12345678"; }, 5s));
    EXPECT_EQ(ControlText(dialog, IDC_txtPassword), "12345678");
    Click(dialog, IDC_cmdOk);
    ExpectBox(program, L(525), L(304));
    EXPECT_FALSE(FileExists(FolderPath("pass.ini")));
    EXPECT_EQ(ReadFileBytes(FolderPath("pass.st")).value_or("12345678").find("12345678"), std::string::npos);
    EXPECT_EQ(StoredKeyId(), "07815567" "4C5300012308");

    // Then the ways back in, with the stored duration; Save without a timer drops it.
    dialog = DialogWith(program, IDC_cmdDeletePass, 15s, main);
    EXPECT_EQ(WindowText(dialog), L(563));
    EXPECT_EQ(ControlText(dialog, IDC_lbTimeDuration), DurationText(5));
    EXPECT_TRUE(Checked(dialog, IDC_Option2_0));
    ExpectFit(dialog, {IDC_lbfrDescrip, IDC_lbPassProtec, IDC_lbPassSet, IDC_lbPassNo, IDC_lbTimerProtec,
                       IDC_lbTimerSet, IDC_lbTimerNo, IDC_cmdSetPass, IDC_cmdSetTime, IDC_cmdSave, IDC_cmdClose},
              points, kCharset);
    // These keep the dialog's own font.
    ExpectFit(dialog, {IDC_lbTimeDuration, IDC_cmdDeletePass}, 8, DEFAULT_CHARSET);
    MouseClick(dialog, IDC_Option2_1);
    EXPECT_TRUE(WaitFor([&] { return !ControlEnabled(dialog, IDC_cmdSetTime); }, 5s));
    Click(dialog, IDC_cmdSave);
    ExpectBox(program, L(555), L(307));
    EXPECT_FALSE(FileExists(FolderPath("tmhr.tmp")));
    EXPECT_TRUE(WaitFor([&] { return ControlEnabled(main, IDC_cmdUnlock); }, 5s)) << "armed";
}

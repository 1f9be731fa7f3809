// The first start in the language QV_LANGUAGE names (0409 unless the test script runs it under a
// Chinese locale): the recovery settings, the lock duration, choosing the key among three
// devices, setting its passphrase and arming, with texts that fit their controls.
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

struct Language {
    std::string id;
    int charset;
    const wchar_t* foreign;   // pasted: its middle character's second byte in the code page is "@" or "A"
};
Language TheLanguage() {
    const char* id = std::getenv("QV_LANGUAGE");
    if (id && std::string(id) == "0804") return {id, 134, L"a\u4E02b"};
    if (id && std::string(id) == "0404") return {id, 136, L"a\u4E59b"};
    return {"0409", 0, L"a\u00E9b"};
}

std::string L(unsigned id) { return LibraryString("langfile" + TheLanguage().id + ".dll", id, "%username", "Tester"); }
std::string DurationText(int hours) { return L(560) + " " + std::to_string(hours) + " " + L(561) + "."; }
bool Checked(HWND dialog, int id) { return SendMessageA(GetDlgItem(dialog, id), BM_GETCHECK, 0, 0) == BST_CHECKED; }

// A real mouse click: the control itself reacts (an option button clears its group) before the dialog hears of it.
void MouseClick(HWND dialog, int id) {
    PostMessageA(GetDlgItem(dialog, id), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(3, 3));
    PostMessageA(GetDlgItem(dialog, id), WM_LBUTTONUP, 0, MAKELPARAM(3, 3));
}

// Whether the controls' texts fit them in the font the program gives them: labels wrap within
// their width and must not need more height; buttons keep their caption on one line with a margin.
void ExpectFit(HWND dialog, std::initializer_list<int> ids, int points, int charset, bool buttons = false) {
    HDC dc = GetDC(nullptr);
    HFONT font = CreateFontA(-MulDiv(points, GetDeviceCaps(dc, LOGPIXELSY), 72), 0, 0, 0, FW_NORMAL, 0, 0, 0,
                             static_cast<DWORD>(charset), 0, 0, 0, 0, "MS Shell Dlg");
    HGDIOBJ old = SelectObject(dc, font);
    for (int id : ids) {
        const std::string text = ControlText(dialog, id);
        RECT client{}, need{};
        GetClientRect(GetDlgItem(dialog, id), &client);
        need.right = client.right;
        DrawTextA(dc, text.c_str(), -1, &need, DT_CALCRECT | (buttons ? DT_SINGLELINE : DT_WORDBREAK | DT_EXPANDTABS | DT_NOPREFIX));
        EXPECT_LE(need.right + (buttons ? 8 : 0), client.right) << id << " \"" << text << "\"";
        EXPECT_LE(need.bottom, client.bottom) << id << " \"" << text << "\"";
    }
    DeleteObject(SelectObject(dc, old));
    ReleaseDC(nullptr, dc);
}

// Sends a list-view message about `row` (from 1) whose LVITEM lives in the list's own process;
// returns the item's text.
std::string ListViewCall(HWND list, UINT message, int row, LVITEMA item) {
    DWORD pid = 0;
    GetWindowThreadProcessId(list, &pid);
    HANDLE process = OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_READ | PROCESS_VM_WRITE, FALSE, pid);
    auto* remote = static_cast<char*>(VirtualAllocEx(process, nullptr, 4096, MEM_COMMIT, PAGE_READWRITE));
    item.pszText = remote + 1024;
    item.cchTextMax = 1024;
    WriteProcessMemory(process, remote, &item, sizeof item, nullptr);
    SendMessageA(list, message, static_cast<WPARAM>(row - 1), reinterpret_cast<LPARAM>(remote));
    char text[1024] = {};
    ReadProcessMemory(process, remote + 1024, text, sizeof text - 1, nullptr);
    VirtualFreeEx(process, remote, 0, MEM_RELEASE);
    CloseHandle(process);
    return text;
}

bool Paste(HWND field, const std::wstring& text) {
    const std::size_t bytes = (text.size() + 1) * sizeof(wchar_t);
    HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE, bytes);
    if (!memory || !OpenClipboard(nullptr)) return false;
    std::memcpy(GlobalLock(memory), text.c_str(), bytes);
    GlobalUnlock(memory);
    EmptyClipboard();
    const bool set = SetClipboardData(CF_UNICODETEXT, memory) != nullptr;
    CloseClipboard();
    if (!set) GlobalFree(memory);
    return set && PostMessageA(field, WM_PASTE, 0, 0);
}

}  // namespace

TEST(FirstStart, SettingsDurationKeyAndPassphraseThenArmed) {
    const Language language = TheLanguage();
    const int points = language.charset ? 9 : 8;   // of the captions that follow the language's font rule
    PrepareProgramFolder();
    WriteFileBytes(SimFilePath(), kThreeDevices);
    WriteFileBytes(FolderPath("OwnerLock.ini"), "[OwnerInfo]\r\nName=Tester\r\n");
    WriteFileBytes(FolderPath("setting.ini"),
                   "[Setting]\r\nLanguage=" + language.id + "\r\nCharset=" + std::to_string(language.charset) + "\r\n");
    Program program;
    HWND main = program.startMain();
    ASSERT_NE(main, nullptr);
    EXPECT_EQ(WindowText(main), L(302));
    EXPECT_EQ(ControlText(main, IDC_cmdLock), L(111));
    EXPECT_FALSE(ControlEnabled(main, IDC_cmdUnlock));
    EXPECT_TRUE(WaitFor([] { return ReadFileBytes(FolderPath("bf.dat")).value_or("").size() == 4168; }));

    // The recovery settings: no timer yet; each option pair is a group of its own, and a click
    // on a choice's text picks it too.
    ChooseMenu(main, IDC_Setting2);
    HWND dialog = DialogWith(program, IDC_lbTimeDuration, 15s, main);
    ASSERT_NE(dialog, nullptr);
    EXPECT_EQ(WindowText(dialog), L(124));
    EXPECT_EQ(ControlText(dialog, IDC_lbTimeDuration), L(562));
    ExpectFit(dialog, {IDC_lbfrDescrip, IDC_lbPassProtec, IDC_lbPassSet, IDC_lbPassNo, IDC_lbTimerProtec,
                       IDC_lbTimerSet, IDC_lbTimerNo, IDC_lbTimeDuration}, points, language.charset);
    ExpectFit(dialog, {IDC_cmdSetPass, IDC_cmdSetTime, IDC_cmdClose}, points, language.charset, true);
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
    ASSERT_NE(dialog, nullptr);
    EXPECT_EQ(WindowText(dialog), L(119));
    EXPECT_EQ(SendMessageA(GetDlgItem(dialog, IDC_combo1), CB_GETCOUNT, 0, 0), 24);
    ExpectFit(dialog, {IDC_lbDuration, IDC_lbHour, IDC_lbNote}, points, language.charset);
    ExpectFit(dialog, {IDC_cmdOk, IDC_cmdCancel}, points, language.charset, true);
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
    ASSERT_NE(dialog, nullptr);
    EXPECT_EQ(ControlText(dialog, IDC_combo1), "5");
    Click(dialog, IDC_cmdCancel);
    EXPECT_TRUE(WaitFor([&] { return !IsWindow(dialog); }, 5s));

    // Arming with three devices attached: complete ones first; one without a serial is refused.
    Click(main, IDC_cmdLock);
    dialog = DialogWith(program, IDC_ListView1);
    ASSERT_NE(dialog, nullptr);
    EXPECT_EQ(WindowText(dialog), LibraryString("lic" + language.id + ".dll", 533));
    HWND list = GetDlgItem(dialog, IDC_ListView1);
    ASSERT_TRUE(WaitFor([&] { return SendMessageA(list, LVM_GETITEMCOUNT, 0, 0) == 3; }, 5s));
    const struct { int row, column; const char* text; } cells[] = {
        {1, 2, "QV0001KEY/0951/1642"}, {2, 2, "4C5300012308/0781/5567"}, {3, 2, ""}, {3, 3, "Generic"}, {3, 7, "2"}};
    for (const auto& c : cells) {
        LVITEMA item{};
        item.iSubItem = c.column - 1;
        EXPECT_EQ(ListViewCall(list, LVM_GETITEMTEXTA, c.row, item), c.text) << c.row << "," << c.column;
    }
    LVITEMA select{};
    select.state = select.stateMask = LVIS_SELECTED | LVIS_FOCUSED;
    ListViewCall(list, LVM_SETITEMSTATE, 3, select);
    Click(dialog, IDC_cmdOk);
    ExpectBox(program, LibraryString("lic" + language.id + ".dll", 542), LibraryString("lic" + language.id + ".dll", 300));
    ListViewCall(list, LVM_SETITEMSTATE, 2, select);
    Click(dialog, IDC_cmdOk);
    ExpectBox(program, L(566), LibraryString("lic" + language.id + ".dll", 300), IDYES);
    ExpectBox(program, L(558) + "\r\n" + L(559), L(304), IDYES);

    // Its passphrase: a pasted character outside the passphrase's set goes whole with one
    // message; too short, then not confirmed, then set.
    dialog = DialogWith(program, IDC_txtPassword2, 15s, main);
    ASSERT_NE(dialog, nullptr);
    EXPECT_EQ(WindowText(dialog), L(305));
    EXPECT_EQ(ControlText(dialog, IDC_cmd77), "&&");
    HWND field = GetDlgItem(dialog, IDC_txtPassword);
    EXPECT_EQ(SendMessageA(field, EM_GETPASSWORDCHAR, 0, 0), '*');
    ASSERT_TRUE(Paste(field, language.foreign));
    ExpectBox(program, L(526), L(300));
    EXPECT_TRUE(WaitFor([&] { return ControlText(dialog, IDC_txtPassword) == "AB"; }, 5s));
    EXPECT_FALSE(program.messageBox().has_value()) << "a second message";
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
    ASSERT_NE(dialog, nullptr);
    EXPECT_EQ(WindowText(dialog), L(563));
    EXPECT_EQ(ControlText(dialog, IDC_lbTimeDuration), DurationText(5));
    EXPECT_TRUE(Checked(dialog, IDC_Option2_0));
    ExpectFit(dialog, {IDC_lbfrDescrip, IDC_lbPassProtec, IDC_lbPassSet, IDC_lbPassNo, IDC_lbTimerProtec,
                       IDC_lbTimerSet, IDC_lbTimerNo}, points, language.charset);
    ExpectFit(dialog, {IDC_cmdSetPass, IDC_cmdSetTime, IDC_cmdSave, IDC_cmdClose}, points, language.charset, true);
    ExpectFit(dialog, {IDC_lbTimeDuration}, 8, DEFAULT_CHARSET);   // the dialog's own font, left alone
    ExpectFit(dialog, {IDC_cmdDeletePass}, 8, DEFAULT_CHARSET, true);
    MouseClick(dialog, IDC_Option2_1);
    EXPECT_TRUE(WaitFor([&] { return !ControlEnabled(dialog, IDC_cmdSetTime); }, 5s));
    Click(dialog, IDC_cmdSave);
    ExpectBox(program, L(555), L(307));
    EXPECT_FALSE(FileExists(FolderPath("tmhr.tmp")));
    EXPECT_TRUE(WaitFor([&] { return ControlEnabled(main, IDC_cmdUnlock); }, 5s)) << "armed";
}

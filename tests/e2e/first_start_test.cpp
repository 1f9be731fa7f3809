// The first start in the language QV_LANGUAGE names (0409 unless the test script runs it under
// a Chinese locale): one instance only, the recovery settings, the lock duration, choosing the
// key among three devices, setting its passphrase and arming, with texts that fit their controls;
// then a lock without a timer, its shut-down dialog cancelled, ended by the passphrase with the
// key away.
#include <commctrl.h>

#include <cstdlib>
#include <thread>

#include <gtest/gtest.h>

#include "driver.h"
#include "resources/resource_ids.h"

using namespace qv::e2e;

namespace {

// The key simulator's key among them, second of the complete ones once they come first.
const char* kThreeDevices =
    "<vid>0781</vid><pid>5567</pid><serial>4C5300012308</serial><manu>Northwind</manu><prod>Blade Stick</prod></device>\r\n"
    "<vid>058F</vid><pid>6387</pid><serial></serial><manu>Generic</manu><prod>Flash Disk</prod></device>\r\n"
    "<vid>0951</vid><pid>1642</pid><serial>QV0001KEY</serial><manu>Keystone Media</manu><prod>Key Drive 2.0</prod></device>\r\n";

const std::string kLanguage = std::getenv("QV_LANGUAGE") ? std::getenv("QV_LANGUAGE") : "0409";
const int kCharset = kLanguage == "0804" ? 134 : kLanguage == "0404" ? 136 : 0;
// Outside the passphrase's set, in the code page: a double-byte character whose second byte is
// "@" or "A", or a Latin letter.
const char* kForeign = kLanguage == "0804" ? "a\x81\x40" "b" : kLanguage == "0404" ? "a\xA4\x41" "b" : "a\xE9" "b";

std::string L(unsigned id) { return LibraryString("langfile" + kLanguage + ".dll", id, "%username", "User"); }
bool Checked(HWND dialog, int id) { return SendMessageA(GetDlgItem(dialog, id), BM_GETCHECK, 0, 0) == BST_CHECKED; }

// A click on the control itself, which reacts (an option button clears its group) before the
// dialog hears of it.
void ClickOn(HWND dialog, int id) { PostMessageA(GetDlgItem(dialog, id), BM_CLICK, 0, 0); }

// Every caption of the dialog fits its control in the language's font (the program's font
// handles are its own, so the test makes the same font): a label wraps within its width and
// needs no more height; a button keeps its caption on one line.
void ExpectCaptionsFit(HWND dialog) {
    HDC dc = GetDC(dialog);
    HGDIOBJ old = SelectObject(dc, CreateFontA(-MulDiv(kCharset ? 9 : 8, GetDeviceCaps(dc, LOGPIXELSY), 72), 0, 0, 0,
                                               FW_NORMAL, 0, 0, 0, kCharset, 0, 0, 0, 0, "MS Shell Dlg"));
    for (HWND control = GetWindow(dialog, GW_CHILD); control; control = GetWindow(control, GW_HWNDNEXT)) {
        char kind[16] = {};
        GetClassNameA(control, kind, sizeof kind);
        const std::string text = WindowText(control);
        const bool button = std::string(kind) == "Button";
        if (text.empty() || (!button && std::string(kind) != "Static")) continue;
        RECT client{}, need{};
        GetClientRect(control, &client);
        need.right = client.right;
        DrawTextA(dc, text.c_str(), -1, &need, DT_CALCRECT | (button ? DT_SINGLELINE : DT_WORDBREAK | DT_NOPREFIX));
        EXPECT_TRUE(need.right + (button ? 8 : 0) <= client.right && need.bottom <= client.bottom) << text;
    }
    DeleteObject(SelectObject(dc, old));
    ReleaseDC(dialog, dc);
}

}  // namespace

TEST(FirstStart, OneInstanceSettingsDurationKeyAndPassphraseThenALockThePassphraseEnds) {
    PrepareProgramFolder();
    WriteFileBytes(Env("QV_USBSIM"), kThreeDevices);
    WriteFileBytes(FolderPath("setting.ini"),
                   "[Setting]\r\nLanguage=" + kLanguage + "\r\nCharset=" + std::to_string(kCharset) + "\r\n");
    Program program;
    HWND main = StartMain(program);
    Program second;   // one instance only
    second.start();
    ExpectBox(second, "Application already found running on the system. It may be running on the background. Please "
                      "make sure you close the application before launching another instance again.");
    EXPECT_TRUE(second.waitExit()) << "no second main window";

    // The recovery settings: each option pair is a group of its own, and a click on a choice's
    // text picks it too.
    Click(main, IDC_Setting2);
    HWND dialog = DialogWith(program, IDC_lbTimeDuration, 15s, main);
    ExpectCaptionsFit(dialog);
    ClickOn(dialog, IDC_Option2_1);
    ClickOn(dialog, IDC_Option1_0);
    EXPECT_TRUE(WaitFor([&] { return Checked(dialog, IDC_Option1_0) && Checked(dialog, IDC_Option2_1); }, 5s));
    Click(dialog, IDC_lbTimerSet);
    EXPECT_TRUE(WaitFor([&] { return Checked(dialog, IDC_Option2_0) && !Checked(dialog, IDC_Option2_1); }, 5s));
    Click(dialog, IDC_cmdClose);

    // The lock duration.
    Click(main, IDC_cmdSetTime);
    dialog = DialogWith(program, IDC_combo1, 15s, main);
    ExpectCaptionsFit(dialog);
    SendMessageA(GetDlgItem(dialog, IDC_combo1), CB_SETCURSEL, 4, 0);
    Click(dialog, IDC_cmdOk);
    ExpectBox(program, L(531) + " 5 " + L(122) + ".");

    // Arming with three devices attached: one without a serial is refused; the one chosen becomes the key.
    Click(main, IDC_cmdLock);
    dialog = DialogWith(program, IDC_ListView1);
    HWND list = GetDlgItem(dialog, IDC_ListView1);
    ASSERT_TRUE(WaitFor([&] { return SendMessageA(list, LVM_GETITEMCOUNT, 0, 0) == 3; }, 5s));
    PostMessageA(list, WM_KEYDOWN, VK_END, 0);   // complete devices first, each group in list order
    Click(dialog, IDC_cmdOk);
    ExpectBox(program, LibraryString("lic" + kLanguage + ".dll", 542, "%s", "Quorvel Lite"));
    PostMessageA(list, WM_KEYDOWN, VK_UP, 0);   // the key simulator's key
    Click(dialog, IDC_cmdOk);
    ExpectBox(program, L(566), IDYES);
    ExpectBox(program, L(558) + "\r\n" + L(559), IDYES);

    // Its passphrase: a pasted character outside the passphrase's set goes whole with one
    // message; too short, then not confirmed, then set.
    dialog = DialogWith(program, IDC_txtPassword2, 15s, main);
    EXPECT_EQ(ControlText(dialog, IDC_cmd77), "&&");
    HWND field = GetDlgItem(dialog, IDC_txtPassword);
    EXPECT_EQ(SendMessageA(field, EM_GETPASSWORDCHAR, 0, 0), '*');
    // Sent from a thread of its own: the program answers it once its message has been dismissed.
    std::thread([field] { SendMessageA(field, EM_REPLACESEL, TRUE, reinterpret_cast<LPARAM>(kForeign)); }).detach();
    ExpectBox(program, L(526));
    EXPECT_TRUE(WaitFor([&] { return ControlText(dialog, IDC_txtPassword) == "AB"; }, 5s));
    EXPECT_EQ(program.find(0xFFFF, 1s), nullptr) << "a second message";
    SendMessageA(field, EM_SETSEL, 0, 2);
    Click(dialog, IDC_cmdDel);   // the selection, else the last character
    auto keys = [&](const std::string& digits) {   // the keys "1" to "9" and "0" in a row
        for (char d : digits) Click(dialog, IDC_cmd1 + (d == '0' ? 9 : d - '1'));
    };
    keys("1234567");
    Click(dialog, IDC_cmdOk);
    ExpectBox(program, L(523));
    keys("8");   // still into the first field
    PostMessageA(GetDlgItem(dialog, IDC_txtPassword2), WM_LBUTTONDOWN, MK_LBUTTON, 0);   // a click on the second field
    PostMessageA(GetDlgItem(dialog, IDC_txtPassword2), WM_LBUTTONUP, 0, 0);
    keys("12345679");
    Click(dialog, IDC_cmdOk);
    ExpectBox(program, L(524));
    Click(dialog, IDC_cmdBackspace);   // the second field is the active one now
    keys("8");
    Click(dialog, IDC_cmdOk);
    ExpectBox(program, L(525));
    EXPECT_FALSE(FileExists(FolderPath("pass.ini")));
    const std::string store = ReadFileBytes(FolderPath("pass.st"));
    EXPECT_TRUE(!store.empty() && store.find("12345678") == std::string::npos) << "the passphrase enciphered";

    // Then the ways back in, with the stored duration; Save without a timer drops it.
    dialog = DialogWith(program, IDC_cmdDeletePass, 15s, main);
    EXPECT_EQ(ControlText(dialog, IDC_lbTimeDuration), L(560) + " 5 " + L(561) + ".");
    ExpectCaptionsFit(dialog);
    ClickOn(dialog, IDC_Option2_1);
    EXPECT_TRUE(WaitFor([&] { return !IsWindowEnabled(GetDlgItem(dialog, IDC_cmdSetTime)); }, 5s));
    Click(dialog, IDC_cmdSave);
    ExpectBox(program, L(555));
    EXPECT_FALSE(FileExists(FolderPath("tmhr.tmp")));
    EXPECT_TRUE(WaitFor([&] { return IsWindowEnabled(GetDlgItem(main, IDC_cmdUnlock)); }, 5s)) << "armed";
    Simulate("pull-key");   // the key chosen, not another device, locks
    HWND screen = DialogWith(program, IDC_cButtonUnlock);
    EXPECT_FALSE(IsWindowVisible(GetDlgItem(screen, IDC_Picture3))) << "no countdown";
    Click(screen, IDC_chButtonShutDown);
    dialog = DialogWith(program, IDC_Combo1);
    EXPECT_TRUE(GetWindowLongA(dialog, GWL_EXSTYLE) & WS_EX_TOPMOST);
    EXPECT_EQ(SendMessageA(GetDlgItem(dialog, IDC_Combo1), CB_GETCURSEL, 0, 0), 0) << "shut down, preset";
    Click(dialog, IDC_cmdCancel);

    // The passphrase was read at arming: the store on the stick is out of reach now. The user's
    // click activates the lock screen, which then owns the dialog it opens, above it.
    SetForegroundWindow(screen);
    WaitFor([&] { return GetForegroundWindow() == screen; }, 5s);
    Click(screen, IDC_cButtonUnlock);
    dialog = DialogWith(program, IDC_lbPass);
    RECT r{};
    GetWindowRect(GetDlgItem(dialog, IDC_cmdq), &r);
    EXPECT_TRUE(WaitFor([&] { return GetAncestor(WindowFromPoint({r.left + 3, r.top + 3}), GA_ROOT) == dialog; }));
    SetDlgItemTextA(dialog, IDC_txtPassword, "12345679");
    Click(dialog, IDC_cmdOk);
    ExpectBox(program, L(527));
    SetDlgItemTextA(dialog, IDC_txtPassword, "12345678");
    Click(dialog, IDC_cmdOk);
    EXPECT_TRUE(WaitFor([&] { return !IsWindowVisible(screen) && !FileExists(RecordFolder() + "\\tpserial2.dat"); }));
}

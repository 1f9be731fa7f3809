// The lock on the real program with the key simulator: arm, pull the key (its drive F: goes
// with it), the lock screen, another stick, the key back, a kill while locked and the start
// from the PC that comes back locked; a lock without a timer ended by the passphrase.
#include <gtest/gtest.h>

#include <thread>

#include "driver.h"
#include "resources/resource_ids.h"

using namespace qv::e2e;

namespace {

constexpr const char* kKeyId = "09511642QV0001KEY";

std::string L(unsigned id) { return LibraryString("langfile0409.dll", id); }

// A task bar of our own for the lock-down library to hide: Wine has none without a desktop.
struct FakeTaskbar {
    FakeTaskbar() {
        WNDCLASSA wc{};
        wc.lpfnWndProc = DefWindowProcA;
        wc.lpszClassName = "Shell_TrayWnd";
        RegisterClassA(&wc);
        hwnd = CreateWindowExA(WS_EX_TOOLWINDOW, "Shell_TrayWnd", "", WS_POPUP | WS_VISIBLE, 0, 0, 200, 30, nullptr,
                               nullptr, nullptr, nullptr);
    }
    ~FakeTaskbar() { DestroyWindow(hwnd); }
    bool visible() const {   // after this thread has handled what the lock-down asked of it
        MSG msg;
        while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&msg);
        return IsWindowVisible(hwnd) != 0;
    }
    HWND hwnd = nullptr;
};

// How many of the lock record's three files are in the per-machine folder.
int RecordFiles() {
    int found = 0;
    for (const char* name : {"tplockts.ini", "tpserial1.dat", "tpserial2.dat"}) found += FileExists(RecordPath(name));
    return found;
}

class Lock : public ::testing::Test {
protected:
    void SetUp() override {
        PrepareProgramFolder();
        Simulate("plug-key");
        StorePassphrase(kKeyId, "OPEN-SESAME1");
    }

    HWND lockScreen(Millis timeout = 15s) const { return DialogWith(program, IDC_cButtonUnlock, timeout); }

    // Starts the program and arms it: Lock, then Close in the protection settings (which keeps
    // the default duration), or "No timer" and Save.
    HWND startArmed(bool noTimer = false) {
        HWND main = program.startMain();
        Click(main, IDC_cmdLock);
        HWND settings = DialogWith(program, IDC_cmdSave);
        EXPECT_EQ(ControlText(settings, IDC_lbTimeDuration), L(560) + " 24 " + L(561) + ".");
        if (noTimer) PostMessageA(GetDlgItem(settings, IDC_Option2_1), BM_CLICK, 0, 0);
        Click(settings, noTimer ? IDC_cmdSave : IDC_cmdClose);
        if (noTimer) ExpectBox(program, LibraryString("langfile0409.dll", 555, "%username", "User"), L(307));
        EXPECT_TRUE(WaitFor([&] { return ControlEnabled(main, IDC_cmdUnlock); }));
        return main;
    }

    Program program;
};

}  // namespace

TEST_F(Lock, PullLocksAnotherStickDoesNotTheKeyUnlocksAndAKilledLockComesBack) {
    FakeTaskbar taskbar;
    HWND main = startArmed();
    ASSERT_TRUE(taskbar.visible());
    Simulate("plug-other");
    Simulate("pull-other");
    EXPECT_EQ(WaitWindow(program, [](HWND w) { return GetDlgItem(w, IDC_cButtonUnlock) != nullptr; }, 3s), nullptr);

    Simulate("pull-key");
    HWND screen = lockScreen();
    EXPECT_FALSE(FileExists(FolderPath("quorvel.exe"))) << "the key's drive went with it";
    EXPECT_EQ(program.windows().size(), 2u) << "the main window and one lock screen, whichever roads the pull took";
    RECT r{};
    GetWindowRect(screen, &r);
    const int x = GetSystemMetrics(SM_XVIRTUALSCREEN), y = GetSystemMetrics(SM_YVIRTUALSCREEN);
    EXPECT_TRUE(r.left <= x && r.top <= y && r.right >= x + GetSystemMetrics(SM_CXVIRTUALSCREEN) &&
                r.bottom >= y + GetSystemMetrics(SM_CYVIRTUALSCREEN)) << "covers the whole desktop";
    EXPECT_TRUE(WaitFor([&] { return !taskbar.visible(); }));
    EXPECT_TRUE(WaitFor([] { return RecordFiles() == 3; }));
    // The countdown of the default duration runs.
    ASSERT_TRUE(WaitFor([&] { return ControlText(screen, IDC_lblTimeRemain).find(" Hour, ") != std::string::npos; }));
    const std::string remaining = ControlText(screen, IDC_lblTimeRemain);
    EXPECT_TRUE(WaitFor([&] { return ControlText(screen, IDC_lblTimeRemain) != remaining; }, 3s));

    // Another stick: the wrong-key notice, gone again six seconds later; still locked.
    Simulate("plug-other");
    EXPECT_TRUE(WaitFor([&] { return IsWindowVisible(GetDlgItem(screen, IDC_Picture2)); }, 3s));
    EXPECT_TRUE(WaitFor([&] { return !IsWindowVisible(GetDlgItem(screen, IDC_Picture2)); }, 9s));

    // The key: the lock screen goes, the lock-down with it, and the record; still armed.
    Simulate("plug-key");
    EXPECT_TRUE(IsWindow(screen)) << "the system's broadcast was answered only once the screen had gone";
    EXPECT_TRUE(WaitFor([&] { return !IsWindow(screen) && taskbar.visible() && RecordFiles() == 0; }));
    EXPECT_EQ(SendMessageA(main, DM_GETDEFID, 0, 0), MAKELRESULT(IDC_cmdLock, DC_HASDEFID)) << "notices took it";

    // Still armed: a timed pull locks again and the key comes back by itself.
    std::thread timedPull([] { Simulate("pull-key-for 5"); });
    screen = lockScreen();
    EXPECT_TRUE(WaitFor([&] { return !IsWindow(screen); }));
    timedPull.join();

    // Esc asks as Exit does; No keeps the program armed.
    PostMessageA(main, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
    ExpectBox(program, L(510), L(303), IDNO);
    EXPECT_TRUE(ControlEnabled(main, IDC_cmdUnlock));

    // Killed while locked, started again from the PC (the stick, which holds the program, is
    // the key that is away): locked again until the key comes back.
    CopyProgramToPc();
    Simulate("pull-key");
    EXPECT_TRUE(WaitFor([] { return RecordFiles() == 3; }));
    program.kill();
    Program again;
    again.start("quorvel.exe", kPcFolder);
    DialogWith(again, IDC_cButtonUnlock);
    // The screen opens from the main window's load, so it shows a moment before the main window.
    EXPECT_TRUE(ControlEnabled(again.waitWindow("QuorvelMainWindow"), IDC_cmdUnlock));
    Simulate("plug-key");
    EXPECT_TRUE(again.waitExit(15s));   // the lock had been resumed: the main window closes too
    EXPECT_EQ(RecordFiles(), 0);
}

TEST_F(Lock, WithoutTimerShutDownCancelledThenThePassphraseEndsItWithTheKeyAway) {
    HWND main = startArmed(true);
    Simulate("pull-key");
    HWND screen = lockScreen();
    EXPECT_FALSE(IsWindowVisible(GetDlgItem(screen, IDC_Picture3))) << "no countdown";
    Click(screen, IDC_chButtonShutDown);
    HWND dialog = DialogWith(program, IDC_Combo1);
    EXPECT_TRUE(GetWindowLongA(dialog, GWL_EXSTYLE) & WS_EX_TOPMOST);
    EXPECT_EQ(SendMessageA(GetDlgItem(dialog, IDC_Combo1), CB_GETCURSEL, 0, 0), 0) << "shut down, preset";
    Click(dialog, IDC_cmdCancel);
    EXPECT_TRUE(WaitFor([&] { return !IsWindow(dialog); }));
    EXPECT_TRUE(IsWindow(screen));

    // The passphrase was read at arming: the store on the stick is out of reach now. The user's
    // click activates the lock screen, which then owns the dialog it opens, above it.
    SetForegroundWindow(screen);
    WaitFor([&] { return GetForegroundWindow() == screen; }, 5s);
    Click(screen, IDC_cButtonUnlock);
    HWND password = DialogWith(program, IDC_lbPass);
    EXPECT_EQ(WindowText(password), L(114));
    RECT r{};
    GetWindowRect(GetDlgItem(password, IDC_cmdq), &r);
    const POINT key{r.left + 3, r.top + 3};
    EXPECT_TRUE(WaitFor([&] { return GetAncestor(WindowFromPoint(key), GA_ROOT) == password; }, 3s));
    TypeChars(GetDlgItem(password, IDC_txtPassword), "OPEN-SESAME");
    Click(password, IDC_cmdOk);
    ExpectBox(program, L(527), L(302));
    TypeChars(GetDlgItem(password, IDC_txtPassword), "1");
    Click(password, IDC_cmdOk);
    EXPECT_TRUE(WaitFor([&] { return !IsWindow(screen) && RecordFiles() == 0; }));
    EXPECT_TRUE(ControlEnabled(main, IDC_cmdLock));
}

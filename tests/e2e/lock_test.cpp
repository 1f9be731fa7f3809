// The lock on the real program with the key simulator: arm, pull the key (its drive F: goes
// with it), the lock screen, another stick, the key back, a restart while locked, the
// passphrase and the shut-down dialog.
#include <gtest/gtest.h>

#include <thread>

#include "driver.h"
#include "resources/resource_ids.h"

using namespace qv::e2e;

namespace {

constexpr const char* kKeyId = "09511642QV0001KEY";

// A task bar of our own for the lock-down library to hide: Wine has none without a desktop.
class FakeTaskbar {
public:
    FakeTaskbar() {
        WNDCLASSA wc{};
        wc.lpfnWndProc = DefWindowProcA;
        wc.hInstance = GetModuleHandleA(nullptr);
        wc.lpszClassName = "Shell_TrayWnd";
        RegisterClassA(&wc);
        hwnd_ = CreateWindowExA(WS_EX_TOOLWINDOW, "Shell_TrayWnd", "", WS_POPUP | WS_VISIBLE, 0, 0, 200, 30, nullptr,
                                nullptr, GetModuleHandleA(nullptr), nullptr);
    }
    ~FakeTaskbar() { DestroyWindow(hwnd_); }
    bool visible() const {
        MSG msg;
        while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&msg);
        return IsWindowVisible(hwnd_) != 0;
    }

private:
    HWND hwnd_ = nullptr;
};

// Task bars of other processes that are hidden now (Wine's own shell keeps one hidden).
std::vector<HWND> HiddenSystemTaskbars() {
    std::vector<HWND> found;
    for (HWND w = FindWindowExA(nullptr, nullptr, "Shell_TrayWnd", nullptr); w;
         w = FindWindowExA(nullptr, w, "Shell_TrayWnd", nullptr)) {
        DWORD process = 0;
        GetWindowThreadProcessId(w, &process);
        if (process != GetCurrentProcessId() && !IsWindowVisible(w)) found.push_back(w);
    }
    return found;
}

// True when `upper` lies above `lower` in the z-order.
bool Above(HWND upper, HWND lower) {
    for (HWND w = GetWindow(lower, GW_HWNDPREV); w; w = GetWindow(w, GW_HWNDPREV))
        if (w == upper) return true;
    return false;
}

class Lock : public ::testing::Test {
protected:
    void SetUp() override {
        PrepareProgramFolder();
        CopyFileA((std::string(std::getenv("QV_BIN")) + "\\keysim.exe").c_str(), FolderPath("keysim.exe").c_str(), FALSE);
        Simulate("plug-key");
        StorePassphrase(kKeyId, "OPEN-SESAME1");
    }

    static bool recordPresent() {
        return FileExists(RecordPath("tplockts.ini")) && FileExists(RecordPath("tpserial1.dat")) &&
               FileExists(RecordPath("tpserial2.dat"));
    }
    static bool recordGone() {
        return !FileExists(RecordPath("tplockts.ini")) && !FileExists(RecordPath("tpserial1.dat")) &&
               !FileExists(RecordPath("tpserial2.dat"));
    }

    HWND lockScreen(Millis timeout = 15s) const { return DialogWith(program, IDC_cButtonUnlock, timeout); }

    // Starts the program and arms it: Lock, then Close in the protection settings (which
    // keeps the 24-hour duration), or "No timer" and Save.
    HWND startArmed(bool noTimer = false) {
        HWND main = program.startMain();
        EXPECT_NE(main, nullptr);
        Click(main, IDC_cmdLock);
        HWND settings = DialogWith(program, IDC_cmdSave);
        EXPECT_NE(settings, nullptr);
        if (noTimer) {
            PostMessageA(GetDlgItem(settings, IDC_Option2_1), BM_CLICK, 0, 0);
            Click(settings, IDC_cmdSave);
            auto saved = program.waitMessageBox();
            EXPECT_TRUE(saved.has_value());
            if (saved) Answer(*saved, IDOK);
        } else {
            Click(settings, IDC_cmdClose);
        }
        EXPECT_TRUE(WaitFor([&] { return ControlEnabled(main, IDC_cmdUnlock); }));
        return main;
    }

    Program program;
};

TEST_F(Lock, PullingTheKeyLocksAndPluggingItBackUnlocks) {
    FakeTaskbar taskbar;
    const std::vector<HWND> keptHidden = HiddenSystemTaskbars();
    HWND main = startArmed();
    ASSERT_TRUE(taskbar.visible());

    // Another stick plugged and pulled while the key stays: no lock.
    Simulate("plug-other");
    Simulate("pull-other");
    EXPECT_EQ(lockScreen(3s), nullptr);
    Simulate("pull-key");
    HWND screen = lockScreen();
    ASSERT_NE(screen, nullptr);
    EXPECT_FALSE(FileExists(FolderPath("quorvel.exe"))) << "the key's drive went with it";
    EXPECT_EQ(program.windows().size(), 2u) << "the main window and one lock screen, whichever roads the pull took";
    EXPECT_TRUE(GetWindowLongA(screen, GWL_EXSTYLE) & WS_EX_TOPMOST);
    RECT r{};
    GetWindowRect(screen, &r);
    EXPECT_LE(r.left, GetSystemMetrics(SM_XVIRTUALSCREEN));
    EXPECT_LE(r.top, GetSystemMetrics(SM_YVIRTUALSCREEN));
    EXPECT_GE(r.right, GetSystemMetrics(SM_XVIRTUALSCREEN) + GetSystemMetrics(SM_CXVIRTUALSCREEN));
    EXPECT_GE(r.bottom, GetSystemMetrics(SM_YVIRTUALSCREEN) + GetSystemMetrics(SM_CYVIRTUALSCREEN));
    EXPECT_TRUE(WaitFor([&] { return !taskbar.visible(); }));
    EXPECT_TRUE(WaitFor([] { return recordPresent(); }));
    Screenshot(nullptr, "qv-lock-screen.bmp");

    // Another stick: the wrong-key notice, gone again six seconds later; still locked.
    EXPECT_FALSE(ControlVisible(screen, IDC_Picture2));
    Simulate("plug-other");
    EXPECT_TRUE(WaitFor([&] { return ControlVisible(screen, IDC_Picture2); }, 3s));
    EXPECT_TRUE(WaitFor([&] { return !ControlVisible(screen, IDC_Picture2); }, 9s));
    EXPECT_TRUE(IsWindow(screen));

    // The key: the lock screen goes, the lock-down with it, and the record; still armed.
    Simulate("plug-key");
    EXPECT_TRUE(IsWindow(screen)) << "the system's broadcast was answered only once the screen had gone";
    EXPECT_TRUE(WaitFor([&] { return !IsWindow(screen); }));
    EXPECT_TRUE(WaitFor([&] { return taskbar.visible(); }));
    EXPECT_TRUE(WaitFor([] { return recordGone(); }));
    EXPECT_TRUE(ControlEnabled(main, IDC_cmdUnlock));
    for (HWND w : keptHidden) EXPECT_FALSE(IsWindowVisible(w)) << "a task bar hidden before the lock stays hidden";
    // The notices never took the default button from Activate.
    EXPECT_EQ(SendMessageA(main, DM_GETDEFID, 0, 0), MAKELRESULT(IDC_cmdLock, DC_HASDEFID));

    // Armed still: a timed pull locks again and the key comes back by itself; meanwhile the
    // simulator's window stays above the lock screen, its buttons in reach.
    Program keysim;
    keysim.start("keysim.exe");
    HWND simulator = keysim.waitWindow("QuorvelKeySimWindow");
    ASSERT_NE(simulator, nullptr);
    std::thread timedPull([] { Simulate("pull-key-for 8"); });
    screen = lockScreen();
    EXPECT_NE(screen, nullptr);
    EXPECT_TRUE(WaitFor([&] { return Above(simulator, screen); }, 5s));
    EXPECT_TRUE(WaitFor([&] { return !IsWindow(screen); }));
    timedPull.join();

    // Esc asks as Exit does; No keeps the program armed.
    PostMessageA(main, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
    auto question = program.waitMessageBox();
    ASSERT_TRUE(question.has_value());
    EXPECT_EQ(question->text, LibraryString("langfile0409.dll", 510));
    Answer(*question, IDNO);
    EXPECT_TRUE(WaitFor([&] { return !program.messageBox(); }));
    EXPECT_TRUE(ControlEnabled(main, IDC_cmdUnlock));
}

TEST_F(Lock, TimerPanelCountsDownOnlyWithADuration) {
    startArmed();
    EXPECT_TRUE(FileExists(FolderPath("tmhr.tmp")));
    Simulate("pull-key");
    HWND screen = lockScreen();
    ASSERT_NE(screen, nullptr);
    ASSERT_TRUE(WaitFor([&] { return ControlVisible(screen, IDC_Picture3); }));
    EXPECT_TRUE(WaitFor([&] { return !ControlText(screen, IDC_lblTimeRemain).empty(); }, 5s));
    EXPECT_FALSE(ControlText(screen, IDC_lblCurrentTime).empty());
    EXPECT_FALSE(ControlText(screen, IDC_lblUnlockTime).empty());
    const std::string remaining = ControlText(screen, IDC_lblTimeRemain);
    EXPECT_NE(remaining.find(" Hour, "), std::string::npos) << remaining;
    EXPECT_TRUE(WaitFor([&] { return ControlText(screen, IDC_lblTimeRemain) != remaining; }, 3s));
    Simulate("plug-key");
    ASSERT_TRUE(WaitFor([&] { return !IsWindow(screen); }));
    program.kill();

    startArmed(true);   // no timer, saved
    EXPECT_FALSE(FileExists(FolderPath("tmhr.tmp")));
    Simulate("pull-key");
    screen = lockScreen();
    ASSERT_NE(screen, nullptr);
    EXPECT_FALSE(ControlVisible(screen, IDC_Picture3));
}

TEST_F(Lock, ShutDownCancelledThenThePassphraseEndsTheLockWithTheKeyAway) {
    HWND main = startArmed();
    Simulate("pull-key");
    HWND screen = lockScreen();
    ASSERT_NE(screen, nullptr);
    Click(screen, IDC_chButtonShutDown);
    HWND dialog = DialogWith(program, IDC_Combo1);
    ASSERT_NE(dialog, nullptr);
    EXPECT_TRUE(GetWindowLongA(dialog, GWL_EXSTYLE) & WS_EX_TOPMOST);
    HWND choice = GetDlgItem(dialog, IDC_Combo1);
    // "Shut down", the first of the three choices, is preset.
    EXPECT_EQ(SendMessageA(choice, CB_GETCOUNT, 0, 0), 3);
    EXPECT_EQ(SendMessageA(choice, CB_GETCURSEL, 0, 0), 0);
    Click(dialog, IDC_cmdCancel);
    EXPECT_TRUE(WaitFor([&] { return !IsWindow(dialog); }));
    EXPECT_TRUE(IsWindow(screen));
    EXPECT_TRUE(recordPresent());

    // The passphrase was read at arming: the store on the stick is out of reach now.
    SetForegroundWindow(screen);
    Click(screen, IDC_cButtonUnlock);
    HWND password = DialogWith(program, IDC_lbPass);
    ASSERT_NE(password, nullptr);
    TypeChars(GetDlgItem(password, IDC_txtPassword), "OPEN-SESAME");
    Click(password, IDC_cmdOk);
    ExpectBox(program, LibraryString("langfile0409.dll", 527), LibraryString("langfile0409.dll", 302),
              MessageBoxInfo::Critical);
    TypeChars(GetDlgItem(password, IDC_txtPassword), "1");
    Click(password, IDC_cmdOk);
    EXPECT_TRUE(WaitFor([&] { return !IsWindow(screen); }));
    EXPECT_TRUE(ControlEnabled(main, IDC_cmdLock));
    EXPECT_TRUE(recordGone());
}

TEST_F(Lock, KilledWhileLockedComesBackLockedAndTheKeyEndsBoth) {
    startArmed();
    CopyProgramToPc();
    Simulate("pull-key");
    ASSERT_NE(lockScreen(), nullptr);
    ASSERT_TRUE(WaitFor([] { return recordPresent(); }));
    program.kill();

    Program again;   // from the PC: the stick, which holds the program, is the key that is away
    again.start("quorvel.exe", kPcFolder);
    HWND screen = DialogWith(again, IDC_cButtonUnlock);
    ASSERT_NE(screen, nullptr);
    // The screen opens from the main window's load, so it shows a moment before the main window.
    HWND main = nullptr;
    WaitFor([&] { return (main = again.findWindow("QuorvelMainWindow")) != nullptr; });
    ASSERT_NE(main, nullptr);
    EXPECT_TRUE(ControlEnabled(main, IDC_cmdUnlock));
    Simulate("plug-key");
    EXPECT_TRUE(again.waitExit(15s));   // the lock had been resumed: the main window closes too
    EXPECT_TRUE(recordGone());
}

}  // namespace

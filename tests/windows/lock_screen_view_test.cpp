// The lock screen on the real Win32 views: it must cover the whole desktop, stay topmost,
// show its panels, and open the shut-down dialog above itself.
#include <windows.h>

#include <commctrl.h>
#include <gtest/gtest.h>

#include <cstdlib>
#include <functional>
#include <string>

#include "fakes.h"
#include "lock/lock_form.h"
#include "lock_fakes.h"
#include "resources/resource_ids.h"
#include "services/win_services.h"
#include "ui/dialog_view.h"
#include "ui/form_host.h"

namespace {

using namespace qv;
using namespace qv::test;

// Lets messages run until `done` holds or `ms` have passed; the final state of `done`.
bool PumpUntil(const std::function<bool()>& done, DWORD ms = 5000) {
    const DWORD end = GetTickCount() + ms;
    while (!done() && static_cast<LONG>(end - GetTickCount()) > 0) {
        win::FormHostOf().pumpPending();
        Sleep(10);
    }
    return done();
}
void Pump(DWORD ms) { PumpUntil([] { return false; }, ms); }

bool Above(HWND upper, HWND lower) {
    for (HWND h = GetTopWindow(nullptr); h; h = GetWindow(h, GW_HWNDNEXT)) {
        if (h == upper || h == lower) return h == upper;
    }
    return false;
}

std::string ItemText(HWND dialog, int id) {
    char text[256] = {};
    GetDlgItemTextA(dialog, id, text, sizeof text);
    return text;
}

bool Visible(HWND dialog, int id) { return IsWindowVisible(GetDlgItem(dialog, id)) != FALSE; }

// Controls of the screen, each of which must lie whole in the primary monitor's work area.
bool InWorkArea(HWND dialog, int id) {
    RECT area{}, r{};
    SystemParametersInfoA(SPI_GETWORKAREA, 0, &area, 0);
    GetWindowRect(GetDlgItem(dialog, id), &r);
    return r.left >= area.left && r.top >= area.top && r.right <= area.right && r.bottom <= area.bottom;
}

// With QV_SCREEN_MARK set (a file name), writes that file and keeps the screen up until it is
// deleted (at most 30 s), so a script can take a screenshot of the display.
void HoldForScreenshot() {
    const char* mark = std::getenv("QV_SCREEN_MARK");
    if (!mark || !*mark) return;
    HANDLE h = CreateFileA(mark, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE) return;
    CloseHandle(h);
    PumpUntil([&] { return GetFileAttributesA(mark) == INVALID_FILE_ATTRIBUTES; }, 30000);
}

void Click(HWND dialog, int id, bool post = false) {
    const WPARAM w = MAKEWPARAM(id, BN_CLICKED);
    const LPARAM l = reinterpret_cast<LPARAM>(GetDlgItem(dialog, id));
    if (post) PostMessageA(dialog, WM_COMMAND, w, l);
    else SendMessageA(dialog, WM_COMMAND, w, l);
}

// Runs `g_onDialog` once the shut-down dialog is up (from a timer of the dialog's modal loop).
std::function<void(HWND)> g_onDialog;
void CALLBACK WhenShutDownDialogIsUp(HWND, UINT, UINT_PTR id, DWORD) {
    if (HWND dialog = FindWindowA(nullptr, "Shut Down Windows")) {
        KillTimer(nullptr, id);
        g_onDialog(dialog);
    }
}

class LockScreenView : public ::testing::Test {
protected:
    FakeWorld w;
    win::WinClock clock;
    win::WinDesktop desktop;
    Context ctx{Services{w.fs, w.messages, desktop, w.shell, w.registry, w.drives, clock, w.system,
                         win::FormHostOf(), w.stringLoader, w.programStrings, w.lockDown, w.usbSerial,
                         w.secureDelete, w.http}};
    FakeInputLock input{w.lockDown.calls};
    FakeSystemPower power;
    int hours = 0;
    LockForm form{ctx, [this](Context&) { return hours; }};

    void SetUp() override {
        SetProcessDPIAware();   // as the program's manifest declares
        ctx.globals().programFolder = FakeWorld::kFolder;
        ctx.globals().languageId = "0409";
        ctx.globals().charsetSetting = "0";
        ctx.globals().osCode = -1;
        ctx.setInputLock(&input);
        ctx.setSystemPower(&power);
        ctx.setMainWindow(&w.mainWindow);
        ctx.setLockScreen(&form);
    }
    void TearDown() override {
        static_cast<LockScreenControl&>(form).unload();
        Pump(50);
    }
    HWND openScreen() {
        form.open();
        Pump(400);
        return form.attached() ? static_cast<win::DialogView&>(form.view()).hwnd() : nullptr;
    }
    // Clicks the screen's shut-down button; `onDialog` works the dialog and must close it.
    void shutDownDialog(HWND screen, std::function<void(HWND)> onDialog) {
        g_onDialog = std::move(onDialog);
        UINT_PTR timer = SetTimer(nullptr, 0, 500, WhenShutDownDialogIsUp);
        Click(screen, IDC_chButtonShutDown);
        KillTimer(nullptr, timer);
    }
};

HWND TopmostWindow(const char* title) {
    HWND window = CreateWindowExA(WS_EX_TOPMOST, "STATIC", title, WS_POPUP | WS_VISIBLE, 10, 10, 200, 100, nullptr,
                                  nullptr, GetModuleHandleA(nullptr), nullptr);
    SetWindowPos(window, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
    return window;
}

// The key comes back while the screen loads: the launcher's close lets messages run, and one
// of them unloads the screen.
LockScreenControl* g_returningKeyUnloads = nullptr;
LRESULT CALLBACK LauncherClosing(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR, DWORD_PTR) {
    if (message == WM_CLOSE && g_returningKeyUnloads) {
        g_returningKeyUnloads->unload();
        return 0;
    }
    return DefSubclassProc(hwnd, message, wParam, lParam);
}

TEST_F(LockScreenView, CoversTheWholeDesktopOnTopWithTheMainPanelOnly) {
    HWND before = TopmostWindow("on top before the lock");
    HWND hwnd = openScreen();
    ASSERT_TRUE(hwnd);
    EXPECT_FALSE(GetWindowLongA(before, GWL_EXSTYLE) & WS_EX_TOPMOST) << "it would rise above the lock when clicked";
    DestroyWindow(before);
    EXPECT_TRUE(GetWindowLongA(hwnd, GWL_EXSTYLE) & WS_EX_TOPMOST);
    EXPECT_FALSE(GetWindowLongA(hwnd, GWL_STYLE) & WS_CAPTION);
    RECT r{}, panel{}, button{};
    GetWindowRect(hwnd, &r);
    const int x = GetSystemMetrics(SM_XVIRTUALSCREEN), y = GetSystemMetrics(SM_YVIRTUALSCREEN);
    EXPECT_TRUE(r.left <= x && r.top <= y && r.right >= x + GetSystemMetrics(SM_CXVIRTUALSCREEN) &&
                r.bottom >= y + GetSystemMetrics(SM_CYVIRTUALSCREEN));
    // The main panel lies inside the primary monitor and holds its labels and buttons.
    GetWindowRect(GetDlgItem(hwnd, IDC_Picture1), &panel);
    GetWindowRect(GetDlgItem(hwnd, IDC_cButtonUnlock), &button);
    EXPECT_TRUE(panel.left >= 0 && panel.right <= GetSystemMetrics(SM_CXSCREEN));
    EXPECT_TRUE(button.left >= panel.left && button.right <= panel.right && button.bottom <= panel.bottom);
    for (auto [id, visible] : {std::pair{IDC_Picture1, true}, {IDC_Picture2, false}, {IDC_Picture3, false},
                               {IDC_lblTimeRemain, false}})
        EXPECT_EQ(Visible(hwnd, id), visible) << id;
    EXPECT_EQ(ItemText(hwnd, IDC_lbLockRun), "Vantrel Quorvel Lite is running...");
    EXPECT_EQ(ctx.globals().lockScreenActive, -1);

    // Another topmost window rising above it is pushed below again.
    HWND other = TopmostWindow("rival");
    EXPECT_TRUE(PumpUntil([&] { return Above(hwnd, other); }));
    DestroyWindow(other);

    // The screen refuses to be closed from its window.
    SendMessageA(hwnd, WM_CLOSE, 0, 0);
    SendMessageA(hwnd, WM_SYSCOMMAND, SC_CLOSE, 0);
    EXPECT_TRUE(IsWindow(hwnd));
    EXPECT_TRUE(form.isLoaded());

    // Unloading releases the lock-down and destroys the window.
    w.lockDown.calls.clear();
    static_cast<LockScreenControl&>(form).unload();
    Pump(50);
    EXPECT_FALSE(IsWindow(hwnd));
    EXPECT_FALSE(form.isLoaded());
    EXPECT_EQ(w.lockDown.calls, (std::vector<std::string>{"LockWAllTaskbar -1", "LockW2kSpecialKey -1",
                                                          "LockW2kTaskManager -1", "unhook 77", "releaseShift"}));
}

TEST_F(LockScreenView, EndingSessionGivesBackWhatTheLockSwitchedOffAndACancelledEndTakesItAgain) {
    HWND hwnd = openScreen();
    ASSERT_TRUE(hwnd);
    const std::vector<std::string> on{"LockWAllTaskbar -1", "LockW2kSpecialKey -1", "LockW2kTaskManager -1"},
        off{"LockW2kSpecialKey 0", "LockW2kTaskManager 0", "LockWAllTaskbar 0"};
    w.lockDown.calls.clear();
    EXPECT_TRUE(SendMessageA(hwnd, WM_QUERYENDSESSION, 0, 0));
    EXPECT_EQ(w.lockDown.calls, on);
    SendMessageA(hwnd, WM_ENDSESSION, FALSE, 0);
    w.lockDown.calls.clear();
    SendMessageA(hwnd, WM_QUERYENDSESSION, 0, 0);
    SendMessageA(hwnd, WM_ENDSESSION, TRUE, 0);
    EXPECT_EQ(w.lockDown.calls, on) << "once, after the cancelled end took them off again";
    EXPECT_TRUE(form.isLoaded() && IsWindow(hwnd)) << "the lock itself stays for the next start";
}

TEST_F(LockScreenView, KeyReturningWhileTheScreenLoadsEndsItCleanly) {
    HWND launcher = CreateWindowExA(0, "STATIC", LockForm::kLauncherTitle, WS_POPUP, 0, 0, 10, 10, nullptr, nullptr,
                                    GetModuleHandleA(nullptr), nullptr);
    SetWindowSubclass(launcher, LauncherClosing, 1, 0);
    g_returningKeyUnloads = &form;
    form.open();
    Pump(200);
    g_returningKeyUnloads = nullptr;
    DestroyWindow(launcher);
    EXPECT_FALSE(form.isLoaded());
    EXPECT_EQ(ctx.globals().lockScreenActive, 0);
    ASSERT_FALSE(w.lockDown.calls.empty());
    EXPECT_EQ(w.lockDown.calls.back(), "releaseShift");
}

TEST_F(LockScreenView, TimedLockShowsTheTimerPanelAndTheWrongKeyNotice) {
    hours = 24;
    HWND hwnd = openScreen();
    ASSERT_TRUE(hwnd);
    EXPECT_TRUE(PumpUntil([&] { return !ItemText(hwnd, IDC_lblTimeRemain).empty(); }));
    EXPECT_TRUE(Visible(hwnd, IDC_Picture3) && Visible(hwnd, IDC_lbRemainTime));
    EXPECT_NE(ItemText(hwnd, IDC_lblCurrentTime), "");
    EXPECT_NE(ItemText(hwnd, IDC_lblUnlockTime), "");
    const std::string remaining = ItemText(hwnd, IDC_lblTimeRemain);
    EXPECT_TRUE(remaining.rfind("23 Hour, 59 Minute, 5", 0) == 0 || remaining == "1 Day(s), 0 Hour, ") << remaining;
    form.showWrongKeyNotice();
    Pump(200);
    EXPECT_TRUE(Visible(hwnd, IDC_Picture2) && Visible(hwnd, IDC_lbInvalidST));
    // Nothing cut or off-screen on small or scaled screens (scripts/screens.sh runs this at
    // 1024 x 768 and at 1280 x 800 with 144 dpi).
    for (int id : {IDC_Picture1, IDC_Picture2, IDC_Picture3, IDC_lbDescrip, IDC_cButtonUnlock, IDC_chButtonShutDown,
                   IDC_lblTimeRemain, IDC_lbInvalidST})
        EXPECT_TRUE(InWorkArea(hwnd, id)) << id;
    HoldForScreenshot();
}

TEST_F(LockScreenView, ShutDownDialogOpensAboveTheScreenAndCancelKeepsTheLock) {
    HWND hwnd = openScreen();
    ASSERT_TRUE(hwnd);
    bool found = false, topmost = false, above = false;
    std::string choice;
    shutDownDialog(hwnd, [&](HWND dialog) {
        found = true;
        topmost = GetWindowLongA(dialog, GWL_EXSTYLE) & WS_EX_TOPMOST;
        above = Above(dialog, hwnd);
        choice = ItemText(dialog, IDC_Combo1);
        Click(dialog, IDC_cmdCancel, true);
    });
    EXPECT_TRUE(found && topmost && above);
    EXPECT_EQ(choice, "Shut down");
    EXPECT_TRUE(power.calls.empty());
    EXPECT_EQ(ctx.globals().shutDownDialogOpen, 0);
    EXPECT_TRUE(form.isLoaded());
}

TEST_F(LockScreenView, ChoosingRestartInTheListRestartsAndARefusalPutsTheDialogBack) {
    HWND hwnd = openScreen();
    ASSERT_TRUE(hwnd);
    for (bool refused : {false, true}) {
        power.result = !refused;
        power.calls.clear();
        std::string after;
        shutDownDialog(hwnd, [&](HWND dialog) {
            HWND list = GetDlgItem(dialog, IDC_Combo1);
            SendMessageA(list, CB_SETCURSEL, 1, 0);
            SendMessageA(dialog, WM_COMMAND, MAKEWPARAM(IDC_Combo1, CBN_SELCHANGE), reinterpret_cast<LPARAM>(list));
            Click(dialog, IDC_cmdOk);
            after = ItemText(dialog, IDC_lbShutDown) + "|" + ItemText(dialog, IDC_Combo1);
            if (Visible(dialog, IDC_cmdOk) && Visible(dialog, IDC_cmdCancel)) after += "|buttons";
            PostMessageA(dialog, WM_CLOSE, 0, 0);   // the system did not go down: the title bar closes it
        });
        EXPECT_EQ(power.calls, (std::vector<std::string>{"restart"}));
        EXPECT_EQ(after, refused ? "Are you sure want to shut down your computer?|Restart|buttons"
                                 : "Your computer is shutting down ...|Restart");
        EXPECT_EQ(w.messages.shown.size(), refused ? 1u : 0u);
        EXPECT_TRUE(form.isLoaded());
    }
}

}  // namespace

// The lock screen on the real Win32 views: it stays above every window, cannot be closed from
// its window, keeps its panels in the work area on small and scaled screens (scripts/screens.sh
// runs it at 1024 x 768 and at 1280 x 800 with 144 dpi and photographs it), and gives back what
// it switched off when the session ends or it goes.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstdlib>
#include <functional>
#include <string>
#include <vector>

#include "fakes.h"
#include "lock/lock_form.h"
#include "resources/resource_ids.h"
#include "services/win_services.h"
#include "ui/dialog_view.h"
#include "ui/form_host.h"

namespace {

using namespace qv;

// Lets messages run until `done` holds or `ms` have passed; the final state of `done`.
bool PumpUntil(const std::function<bool()>& done, DWORD ms = 5000) {
    const DWORD end = GetTickCount() + ms;
    while (!done() && static_cast<LONG>(end - GetTickCount()) > 0) {
        win::FormHostOf().pumpPending();
        Sleep(10);
    }
    return done();
}

HWND TopmostWindow() {
    return CreateWindowExA(WS_EX_TOPMOST, "STATIC", "", WS_POPUP | WS_VISIBLE, 10, 10, 200, 100, nullptr, nullptr,
                           nullptr, nullptr);
}

TEST(LockScreenView, TimedLockStaysOnTopInTheWorkAreaAndGivesBackTheLockDownWhenTheSessionEndsOrItGoes) {
    SetProcessDPIAware();   // as the program's manifest declares
    test::FakeWorld w;
    win::WinClock clock;   // the real date and time in the photographs
    win::WinDesktop desktop;
    Context ctx{Services{w.fs, w.messages, desktop, w.shell, w.registry, w.drives, clock, w.system,
                         win::FormHostOf(), w.stringLoader, w.programStrings, w.lockDown, w.usbSerial,
                         w.secureDelete, w.http}};
    LockForm form{ctx, [](Context&) { return 24; }};   // hours: the timer panel shows
    ctx.setInputLock(&w.input);
    ctx.setLockScreen(&form);

    HWND before = TopmostWindow();
    form.open();
    PumpUntil([] { return false; }, 400);
    ASSERT_TRUE(form.attached());
    HWND screen = static_cast<win::DialogView&>(form.view()).hwnd();
    EXPECT_FALSE(GetWindowLongA(before, GWL_EXSTYLE) & WS_EX_TOPMOST) << "it would rise above the lock when clicked";
    HWND rival = TopmostWindow();
    EXPECT_TRUE(PumpUntil([&] {   // the lock screen comes first of the two in the z-order
        for (HWND h = GetTopWindow(nullptr); h; h = GetWindow(h, GW_HWNDNEXT))
            if (h == screen || h == rival) return h == screen;
        return false;
    }));
    for (HWND window : {before, rival}) DestroyWindow(window);
    SendMessageA(screen, WM_CLOSE, 0, 0);
    SendMessageA(screen, WM_SYSCOMMAND, SC_CLOSE, 0);
    EXPECT_TRUE(IsWindow(screen) && form.isLoaded());

    // With the timer panel and the wrong-key notice up, nothing is cut or off the screen.
    form.showWrongKeyNotice();
    EXPECT_TRUE(PumpUntil([&] { return GetWindowTextLengthA(GetDlgItem(screen, IDC_lblTimeRemain)) > 0; }));
    RECT area{};
    SystemParametersInfoA(SPI_GETWORKAREA, 0, &area, 0);
    for (int id : {IDC_Picture1, IDC_Picture2, IDC_Picture3, IDC_lbDescrip, IDC_cButtonUnlock, IDC_chButtonShutDown,
                   IDC_lblTimeRemain, IDC_lbInvalidST}) {
        RECT r{};
        GetWindowRect(GetDlgItem(screen, id), &r);
        EXPECT_TRUE(IsWindowVisible(GetDlgItem(screen, id))) << id;
        EXPECT_TRUE(r.left >= area.left && r.top >= area.top && r.right <= area.right && r.bottom <= area.bottom) << id;
    }
    // With QV_SCREEN_MARK naming a file, writes that file and keeps the screen up until it is
    // deleted (at most 30 s), so that the script can photograph the display.
    if (const char* mark = std::getenv("QV_SCREEN_MARK"); mark && *mark) {
        CloseHandle(CreateFileA(mark, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
        PumpUntil([&] { return GetFileAttributesA(mark) == INVALID_FILE_ATTRIBUTES; }, 30000);
    }

    // An end of the session that is cancelled, then one that goes through: the lock itself stays
    // for the next start.
    using Log = std::vector<std::string>;
    const Log on{"LockWAllTaskbar -1", "LockW2kSpecialKey -1", "LockW2kTaskManager -1"};
    w.lockDown.calls.clear();
    EXPECT_TRUE(SendMessageA(screen, WM_QUERYENDSESSION, 0, 0));
    SendMessageA(screen, WM_ENDSESSION, FALSE, 0);
    SendMessageA(screen, WM_QUERYENDSESSION, 0, 0);
    SendMessageA(screen, WM_ENDSESSION, TRUE, 0);
    EXPECT_EQ(w.lockDown.calls, (Log{on[0], on[1], on[2], "LockW2kSpecialKey 0", "LockW2kTaskManager 0",
                                     "LockWAllTaskbar 0", on[0], on[1], on[2]}));
    EXPECT_TRUE(IsWindow(screen) && form.isLoaded());

    w.lockDown.calls.clear();
    static_cast<LockScreenControl&>(form).unload();
    PumpUntil([] { return false; }, 50);
    EXPECT_FALSE(IsWindow(screen) || form.isLoaded());
    EXPECT_EQ(w.lockDown.calls, (Log{on[0], on[1], on[2], "unhook 77", "releaseShift"}));
}

}  // namespace

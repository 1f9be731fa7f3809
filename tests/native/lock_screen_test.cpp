#include <array>

#include <gtest/gtest.h>

#include "lock/lock_form.h"
#include "lock_timer_world.h"

using namespace qv;
using namespace qv::test;

namespace {

struct LockWorld : LockTimerWorld {
    int hours = 0;   // what the duration reader gives
    LockForm form{ctx, [this](Context&) { return hours; }};

    FakeView& view() { return forms.viewOf(form); }
    void tick(const char* timer = "Timer1") { static_cast<Form&>(form).timer(timer); }
    // The screen comes up and its clock ticks once, which completes the lock.
    void open() { form.open(), tick(); }
    void closeScreen() { static_cast<LockScreenControl&>(form).unload(); }
};

std::array<int, 4> Box(const FakeView::Control& c) { return {c.left, c.top, c.width, c.height}; }
bool Inside(const FakeView::Control& a, const FakeView::Control& p) {
    return a.left >= p.left && a.top >= p.top && a.left + a.width <= p.left + p.width &&
           a.top + a.height <= p.top + p.height;
}

}  // namespace

TEST(LockScreen, LockDownIsEngagedAndReleasedInOrderForEachWindowsFamily) {
    // The screen shows with keys already swallowed; the lock-down and the caller's record follow
    // at the clock's first tick.
    const Log nt{"hook desktop", "shown", "LockW2kSpecialKey 0", "LockW2kTaskManager 0", "LockWAllTaskbar 0", "record",
                 "close", "LockWAllTaskbar -1", "LockW2kSpecialKey -1", "LockW2kTaskManager -1", "unhook 77",
                 "releaseShift"},
        w98{"hook thread", "shown", "LockW98SpecialKey 0", "LockWAllTaskbar 0", "record", "close",
            "LockWAllTaskbar -1", "LockW98SpecialKey -1", "unhook 77", "releaseShift"},
        failedHook{"hook desktop", "shown", "LockW2kSpecialKey 0", "LockW2kTaskManager 0", "LockWAllTaskbar 0",
                   "record", "close", "LockWAllTaskbar -1", "LockW2kSpecialKey -1", "LockW2kTaskManager -1",
                   "releaseShift"},
        noInput{"shown", "LockW2kSpecialKey 0", "LockW2kTaskManager 0", "LockWAllTaskbar 0", "record", "close",
                "LockWAllTaskbar -1", "LockW2kSpecialKey -1", "LockW2kTaskManager -1"};
    // Any code but 3 and 4 takes the Windows 2000 way. A failed hook is not removed, yet Shift is released;
    // without the input service (-1) the library steps still run.
    struct Case { std::int16_t osCode; int hook; const Log& calls; };
    for (const Case& c : {Case{-1, 77, nt}, Case{3, 77, w98}, Case{4, 77, w98},
                          Case{-1, 0, failedHook}, Case{-1, -1, noInput}}) {
        SCOPED_TRACE(std::to_string(c.osCode) + " hook " + std::to_string(c.hook));
        LockWorld w;
        w.ctx.globals().osCode = c.osCode;
        if (c.hook < 0) w.ctx.setInputLock(nullptr);
        else w.input.handle = c.hook;
        w.form.open([&] { w.lockDown.calls.push_back("record"); });
        w.form.open([&] { w.lockDown.calls.push_back("second record"); });   // a second open does nothing
        static_cast<Form&>(w.form).closeRequested();   // and the user cannot close it
        EXPECT_EQ(w.forms.shown, Log{"frmLock modeless"});
        EXPECT_TRUE(w.view().isOpen() && w.view().topMost && w.view().timerEnabled("Timer1"));
        w.lockDown.calls.push_back("shown");
        w.tick();
        w.tick();
        EXPECT_EQ(w.ctx.globals().lockScreenActive, -1);
        EXPECT_EQ(w.form.keyboardHook(), c.hook < 0 ? 0u : std::uintptr_t(c.hook));

        w.lockDown.calls.push_back("close");
        w.closeScreen();
        EXPECT_EQ(w.lockDown.calls, c.calls);
        EXPECT_FALSE(w.form.isLoaded() || w.view().isOpen());
        EXPECT_EQ(w.ctx.globals().lockScreenActive, 0);
        EXPECT_EQ(w.form.keyboardHook(), 0u);
    }
}

TEST(LockScreen, SessionEndGivesTheFeaturesBackOnceAndACancelledEndTakesThemAgain) {
    LockWorld w;
    auto& screen = static_cast<LockScreenControl&>(w.form);
    screen.sessionEnding();   // not loaded: nothing to give back
    w.open();
    w.lockDown.calls.clear();
    for (int i = 0; i < 2; ++i) screen.sessionEnding();
    for (int i = 0; i < 2; ++i) screen.sessionGoesOn();
    EXPECT_EQ(w.lockDown.calls, (Log{"LockWAllTaskbar -1", "LockW2kSpecialKey -1", "LockW2kTaskManager -1",
                                     "LockW2kSpecialKey 0", "LockW2kTaskManager 0", "LockWAllTaskbar 0"}));
}

TEST(LockScreen, LauncherIsClosedAndLaterRestartedFromTheFirstPathThatExists) {
    const std::string first = "C:\\Vantrel\\KvRun\\KvRun.exe", second = "C:\\Program Files\\Vantrel\\KvRun\\KvRun.exe";
    using Files = std::vector<std::pair<std::string, unsigned>>;
    struct Case { bool window; Files files; std::int16_t osCode; std::string started; };
    const Case cases[] = {
        {true, {{first, AttrArchive}, {second, AttrArchive}}, -1, first}, {true, {{second, AttrArchive}}, -1, second},
        {true, {{first, AttrHidden | AttrSystem}}, 3, first},   // hidden and system files count
        {true, {}, -1, ""},   // "": nothing started
        {false, {{first, AttrArchive}}, -1, ""},   // not closed, so not restarted
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.started + (c.window ? " window" : " no window"));
        LockWorld w;
        w.ctx.globals().osCode = c.osCode;
        for (auto& [path, attributes] : c.files) w.fs.put(path, "MZ", attributes);
        if (c.window) w.desktop.windows[{"ThunderRT6FormDC", "KvRun (001/005)"}] = 0x5150;
        w.open();
        EXPECT_EQ(w.form.launcherClosed(), c.window);
        EXPECT_EQ(w.desktop.closed, c.window ? std::vector<WindowHandle>{0x5150} : std::vector<WindowHandle>{});
        EXPECT_TRUE(w.shell.opened.empty());
        w.closeScreen();
        EXPECT_EQ(w.shell.opened, c.started.empty() ? Log{} : Log{c.started});
        EXPECT_TRUE(c.started.empty() || (w.shell.openedIn == LockWorld::kFolder && w.shell.openedHidden));
    }
}

TEST(LockScreen, CaptionsCarryTheOwnerAndSuffixesAndChineseTextsAreLarger) {
    LockWorld builtIn;   // missing language texts leave the built-in captions, with no suffix
    builtIn.form.open();
    EXPECT_EQ(builtIn.view().caption("lbCurrTime"), "Current Time :");
    struct Case { const char* languageId; int headline, notice, normal; };
    for (const Case& c : {Case{"0409", 12, 10, 8}, Case{"0804", 14, 12, 9}, Case{"0404", 14, 12, 9}}) {
        SCOPED_TRACE(c.languageId);
        LockWorld w;
        w.ctx.globals().languageId = c.languageId;
        w.ctx.globals().ownerName = "Ann";
        w.loadStrings({{503, "Hello %USERNAME, use %username's key"}, {116, "Now"}});
        w.form.open();
        FakeView& v = w.view();
        EXPECT_EQ(v.caption("lbDescrip"), "Hello Ann, use Ann's key");
        EXPECT_EQ(v.caption("lbCurrTime"), "Now : ");
        EXPECT_EQ((std::array{v.c("lbLockRun").fontSize, v.c("lbInvalidST").fontSize, v.c("cButtonUnlock").fontSize}),
                  (std::array{c.headline, c.notice, c.normal}));
    }
}

TEST(LockScreen, WindowCoversEveryMonitorAndThePanelsSitInThePrimaryWorkArea) {
    // Picture1 (7320 x 4080 twips) is centred in the primary monitor's work area unless the timer
    // panel beside it (3840 wide, 50 apart) would pass its right edge; p1Left/p1Top are window coordinates.
    struct Case { const char* name; ScreenRect desktop, primary; std::array<int, 4> window; int p1Left, p1Top; };
    const Case cases[] = {
        {"second monitor on the left", {-28800, 0, 57600, 16200}, {0, 0, 28800, 16200}, {-28900, -100, 57800, 16400},
         28900 + (28800 - 7320) / 2, 100 + (16200 - 4080) / 2},
        {"no work area reported", {0, 0, 15360, 11520}, {0, 0, 0, 11520}, {-100, -100, 15560, 11720},
         100 + (15360 - 7320) / 2, 100 + (11520 - 4080) / 2},
        {"1280x800 at 144 dpi, task bar below", {0, 0, 12800, 8000}, {0, 0, 12800, 7600}, {-100, -100, 13000, 8200},
         100 + 12800 - (7320 + 50 + 3840), 100 + (7600 - 4080) / 2},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        LockWorld w;
        w.form.open();
        FakeView& v = w.view();
        v.virtualScreen = c.desktop;
        v.primaryScreen = c.primary;   // the work area
        w.form.layoutScreen();   // as after a display change
        const auto &p1 = v.c("Picture1"), &p2 = v.c("Picture2"), &p3 = v.c("Picture3");
        EXPECT_EQ(Box(v.c("")), c.window);
        EXPECT_EQ(Box(p1), (std::array{c.p1Left, c.p1Top, 7320, 4080}));
        EXPECT_EQ(Box(p2), (std::array{p1.left, p1.top + p1.height + 80, p2.width, 1000}));
        EXPECT_EQ((std::array{p3.left, p3.top}), (std::array{p1.left + p1.width + 50, p1.top}));
        // The panels' labels move with them and stay inside them.
        for (auto [child, panel] : {std::pair{"lbLockRun", "Picture1"}, std::pair{"cButtonUnlock", "Picture1"},
                                    std::pair{"lbInvalidST", "Picture2"}, std::pair{"lblTimeRemain", "Picture3"}})
            EXPECT_TRUE(Inside(v.c(child), v.c(panel))) << child;
    }
}

TEST(LockScreen, RemainingTimeText) {
    const std::pair<std::int64_t, const char*> cases[] = {
        {3600, "1 Hour, 0 Minute, "}, {86400 + 5, "1 Day(s), 0 Hour, 5 Second"}, {0, ""}, {1, "1 Second"},
        {60, "1 Minute, 0 Second"}, {86400, "1 Day(s), 0 Hour, "}, {90061, "1 Day(s), 1 Hour, 1 Minute, 1 Second"}};
    for (auto [seconds, text] : cases) EXPECT_EQ(RemainingTimeText(seconds), text) << seconds;
}

TEST(LockScreen, ClockCountsDownAndTheLockExpiresOnlyAtTheFirstTickAfterTheUnlockTime) {
    LockWorld w;
    w.ctx.globals().ownerName = "Ann";
    w.loadStrings({{516, "Idle, %username"}});
    w.hours = 2;
    const DateTime opened = w.clock.t, unlock = opened + 7200;
    w.open();
    FakeView& v = w.view();
    EXPECT_EQ(w.form.unlockTime(), unlock);
    EXPECT_TRUE(w.form.timerActive() && v.isVisible("Picture3") && v.isVisible("lblTimeRemain"));

    w.clock.t = opened + 3600;
    w.tick();
    EXPECT_EQ(v.caption("lblCurrentTime") + " " + v.caption("lblUnlockTime"),
              "T" + std::to_string(opened + 3600) + " T" + std::to_string(unlock));
    EXPECT_EQ(v.caption("lblTimeRemain"), "1 Hour, 0 Minute, ");

    w.clock.t = unlock;   // equal: not yet
    w.tick();
    EXPECT_TRUE(w.form.isLoaded() && v.timerEnabled("Timer1"));
    EXPECT_EQ(v.caption("lblTimeRemain"), "");
    EXPECT_TRUE(w.mainWindow.calls.empty());

    w.lockDown.calls.clear();
    w.ctx.globals().lockNeeds.passphrase = "HELD-SINCE-ARMING";
    w.ctx.globals().lockNeeds.held = true;
    w.clock.t = unlock + 1;
    w.tick();
    EXPECT_FALSE(w.form.isLoaded() || v.isOpen() || v.timerEnabled("Timer1"));
    EXPECT_FALSE(w.ctx.globals().lockNeeds.held || !w.ctx.globals().lockNeeds.passphrase.empty());
    // A resumed lock's polling stops with it: nothing hides the task bar afterwards.
    EXPECT_EQ(w.mainWindow.calls, (Log{"delLockIni", "stopPolling"}));
    EXPECT_EQ(w.mainWindow.status, "Idle, Ann");
    EXPECT_EQ(w.mainWindow.armed, false);
    EXPECT_EQ(w.notifications.calls, (Log{"unregister"}));
    EXPECT_EQ(w.lockDown.calls.front(), "LockWAllTaskbar -1");
}

TEST(LockScreen, ShutDownDialogFlagsHoldOnlyWhileItIsOpenAndExpiryClosesItFirst) {
    for (bool expire : {false, true}) {
        SCOPED_TRACE(expire ? "expiry" : "cancel");
        LockWorld w;
        w.hours = 1;
        w.open();
        bool dialogClosed = false;
        w.forms.scripts["frmShutDown"] = [&](Form& dialog) {
            EXPECT_EQ(w.ctx.globals().shutDownDialogOpen, -1);
            EXPECT_EQ(w.ctx.globals().shutDownForm, &dialog);
            w.clock.t = w.form.unlockTime() + (expire ? 1 : 0);
            expire ? w.tick() : dialog.click("cmdCancel");
            dialogClosed = !w.forms.viewOf(dialog).isOpen();
        };
        static_cast<Form&>(w.form).click("chButtonShutDown");
        EXPECT_TRUE(dialogClosed);
        EXPECT_EQ(w.form.isLoaded(), !expire);
        EXPECT_EQ(w.ctx.globals().shutDownDialogOpen, 0);
        EXPECT_EQ(w.ctx.globals().shutDownForm, nullptr);
        EXPECT_TRUE(w.power.calls.empty());
    }
}

TEST(LockScreen, WithoutATimerFileThePanelStaysHiddenAndTheClockOnlyRearms) {
    for (const char* stored : {"", "0\r\n", "100\r\n"}) {   // "": no file
        SCOPED_TRACE(stored);
        const int hours = std::atoi(stored);
        LockTimerWorld base;
        if (*stored) base.putTimer(stored);
        LockForm form(base.ctx);   // the real reader of tmhr.tmp
        form.open();
        static_cast<Form&>(form).timer("Timer1");
        FakeView& v = base.forms.viewOf(form);
        EXPECT_EQ(form.timerActive(), hours > 0);
        EXPECT_EQ(v.isVisible("Picture3") || v.isVisible("lbRemainTime"), hours > 0);
        EXPECT_TRUE(hours == 0 || form.unlockTime() == base.clock.t + hours * 3600);

        base.clock.t += 1'000'000'000;   // far past any unlock time
        static_cast<Form&>(form).timer("Timer1");
        EXPECT_EQ(form.isLoaded(), hours == 0);
        EXPECT_EQ(v.timerEnabled("Timer1"), hours == 0);
        EXPECT_TRUE(hours > 0 || (v.caption("lblCurrentTime").empty() && base.mainWindow.calls.empty()));
        static_cast<LockScreenControl&>(form).unload();
    }
}

TEST(LockScreen, WrongKeyNoticeShowsUntilTimer2) {
    LockWorld w;
    w.form.showWrongKeyNotice();   // not loaded: nothing happens
    EXPECT_TRUE(w.forms.shown.empty());
    w.form.open();
    FakeView& v = w.view();
    for (bool shown : {true, false}) {
        if (shown) w.form.showWrongKeyNotice();
        else w.tick("Timer2");
        EXPECT_EQ(v.isVisible("Picture2"), shown);
        EXPECT_EQ(v.isVisible("lbInvalidST"), shown);
        EXPECT_EQ(v.timerEnabled("Timer2"), shown);
    }
}

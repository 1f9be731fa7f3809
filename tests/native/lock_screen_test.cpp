#include <gtest/gtest.h>

#include "lock/lock_form.h"
#include "lock_fakes.h"
#include "lock_timer_world.h"

using namespace qv;
using namespace qv::test;

namespace {

using Log = std::vector<std::string>;

struct LockWorld : LockTimerWorld {
    FakeInputLock input{lockDown.calls};
    FakeSystemPower power;
    int hours = 0;   // what the duration reader gives, unless the real file is used
    LockForm form{ctx, [this](Context&) { return hours; }};

    LockWorld() {
        ctx.setInputLock(&input);
        ctx.setSystemPower(&power);
    }
    FakeView& view() { return forms.viewOf(form); }
    // Opens the screen and forgets what opening did, so a test sees only what follows.
    void openThenClearLog() {
        form.open();
        lockDown.calls.clear();
    }
    void tick() { static_cast<Form&>(form).timer("Timer1"); }
    void closeScreen() { static_cast<LockScreenControl&>(form).unload(); }
};

struct OrderCase {
    std::int16_t osCode;
    Log opening, closing;
};

}  // namespace

TEST(LockScreen, LockDownIsEngagedAndReleasedInOrderForEachWindowsFamily) {
    const OrderCase cases[] = {
        {-1,
         {"LockW2kSpecialKey 0", "LockW2kTaskManager 0", "hook desktop", "LockWAllTaskbar 0"},
         {"LockWAllTaskbar -1", "LockW2kSpecialKey -1", "LockW2kTaskManager -1", "unhook 77", "releaseShift"}},
        {3,
         {"LockW98SpecialKey 0", "hook thread", "LockWAllTaskbar 0"},
         {"LockWAllTaskbar -1", "LockW98SpecialKey -1", "unhook 77", "releaseShift"}},
        {4,
         {"LockW98SpecialKey 0", "hook thread", "LockWAllTaskbar 0"},
         {"LockWAllTaskbar -1", "LockW98SpecialKey -1", "unhook 77", "releaseShift"}},
        {2,   // any code but 3 and 4 takes the Windows 2000 way
         {"LockW2kSpecialKey 0", "LockW2kTaskManager 0", "hook desktop", "LockWAllTaskbar 0"},
         {"LockWAllTaskbar -1", "LockW2kSpecialKey -1", "LockW2kTaskManager -1", "unhook 77", "releaseShift"}},
    };
    for (const OrderCase& c : cases) {
        SCOPED_TRACE(c.osCode);
        LockWorld w;
        w.ctx.globals().osCode = c.osCode;
        w.form.open();
        EXPECT_EQ(w.lockDown.calls, c.opening);
        EXPECT_TRUE(w.form.isLoaded());
        EXPECT_EQ(w.ctx.globals().lockScreenActive, -1);
        EXPECT_TRUE(w.view().topMost);
        EXPECT_TRUE(w.view().timerEnabled("Timer1"));
        EXPECT_EQ(w.view().timers["Timer1"].interval, 10u);
        EXPECT_EQ(w.form.keyboardHook(), 77u);

        w.lockDown.calls.clear();
        w.closeScreen();
        EXPECT_EQ(w.lockDown.calls, c.closing);
        EXPECT_FALSE(w.form.isLoaded());
        EXPECT_FALSE(w.view().isOpen());
        EXPECT_EQ(w.ctx.globals().lockScreenActive, 0);
        EXPECT_EQ(w.form.keyboardHook(), 0u);
    }
}

TEST(LockScreen, AHookThatFailedIsNotRemovedButShiftIsStillReleased) {
    LockWorld w;
    w.input.handle = 0;
    w.openThenClearLog();
    w.closeScreen();
    EXPECT_EQ(w.lockDown.calls, (Log{"LockWAllTaskbar -1", "LockW2kSpecialKey -1", "LockW2kTaskManager -1",
                                     "releaseShift"}));
}

TEST(LockScreen, WithoutInputServiceTheLibraryStepsStillRun) {
    LockWorld w;
    w.ctx.setInputLock(nullptr);
    w.form.open();
    w.closeScreen();
    EXPECT_EQ(w.lockDown.calls, (Log{"LockW2kSpecialKey 0", "LockW2kTaskManager 0", "LockWAllTaskbar 0",
                                     "LockWAllTaskbar -1", "LockW2kSpecialKey -1", "LockW2kTaskManager -1"}));
}

TEST(LockScreen, OpeningTwiceShowsOneWindowAndCloseRequestsAreRefused) {
    LockWorld w;
    w.form.open();
    w.form.open();
    EXPECT_EQ(w.forms.shown, (Log{"frmLock modeless"}));
    static_cast<Form&>(w.form).closeRequested();
    EXPECT_TRUE(w.view().isOpen());
    EXPECT_TRUE(w.form.isLoaded());
}

TEST(LockScreen, LauncherIsClosedAndLaterRestartedFromTheFirstPathThatExists) {
    const std::string first = "C:\\Vantrel\\KvRun\\KvRun.exe";
    const std::string second = "C:\\Program Files\\Vantrel\\KvRun\\KvRun.exe";
    struct Case {
        bool window;
        std::vector<std::pair<std::string, unsigned>> files;
        std::int16_t osCode;
        std::string started;   // empty: nothing started
    };
    const Case cases[] = {
        {true, {{first, AttrArchive}, {second, AttrArchive}}, -1, first},
        {true, {{second, AttrArchive}}, -1, second},
        {true, {{first, AttrHidden | AttrSystem}}, 3, first},   // hidden and system files count
        {true, {{second, AttrReadOnly}}, 4, second},
        {true, {}, -1, ""},
        {false, {{first, AttrArchive}}, -1, ""},   // not closed, so not restarted
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.started + (c.window ? " window" : " no window"));
        LockWorld w;
        w.ctx.globals().osCode = c.osCode;
        for (auto& [path, attributes] : c.files) w.fs.put(path, "MZ", attributes);
        if (c.window) w.desktop.windows[{"ThunderRT6FormDC", "KvRun (001/005)"}] = 0x5150;
        w.form.open();
        EXPECT_EQ(w.form.launcherClosed(), c.window);
        EXPECT_EQ(w.desktop.closed, c.window ? std::vector<WindowHandle>{0x5150} : std::vector<WindowHandle>{});
        EXPECT_EQ(w.desktop.doEventsCalls, c.window ? 1 : 0);
        EXPECT_TRUE(w.shell.opened.empty());

        w.closeScreen();
        if (c.started.empty()) {
            EXPECT_TRUE(w.shell.opened.empty());
        } else {
            EXPECT_EQ(w.shell.opened, (Log{c.started}));
            EXPECT_EQ(w.shell.openedIn, LockWorld::kFolder);
            EXPECT_TRUE(w.shell.openedHidden);
        }
    }
}

TEST(LockScreen, CaptionsCarrySuffixesAndTheScreensOwnFontSizes) {
    struct Case {
        const char* languageId;
        int headline, notice, normal;
    };
    for (const Case& c : {Case{"0409", 12, 10, 8}, Case{"0804", 14, 12, 9}, Case{"0404", 14, 12, 9}}) {
        SCOPED_TRACE(c.languageId);
        LockWorld w;
        w.ctx.globals().languageId = c.languageId;
        w.ctx.globals().charsetSetting = "134";
        w.ctx.globals().ownerName = "Ann";
        w.loadStrings({{502, "Locked"}, {503, "Hello %USERNAME, use %username's key"}, {504, "Wrong key"},
                       {505, "Note"}, {109, "&Open"}, {110, "&Off"}, {116, "Now"}, {117, "Ends"}, {118, "Left"}});
        w.form.open();
        FakeView& v = w.view();
        EXPECT_EQ(v.caption("lbLockRun"), "Locked");
        EXPECT_EQ(v.caption("lbDescrip"), "Hello Ann, use Ann's key");
        EXPECT_EQ(v.caption("lbInvalidST"), "Wrong key");
        EXPECT_EQ(v.caption("lbNote"), "Note");
        EXPECT_EQ(v.caption("cButtonUnlock"), "&Open");
        EXPECT_EQ(v.caption("chButtonShutDown"), "&Off");
        EXPECT_EQ(v.caption("lbCurrTime"), "Now : ");
        EXPECT_EQ(v.caption("lbUnloadTime"), "Ends : ");
        EXPECT_EQ(v.caption("lbRemainTime"), "Left : ");
        EXPECT_EQ(v.c("lbLockRun").fontSize, c.headline);
        EXPECT_EQ(v.c("lbInvalidST").fontSize, c.notice);
        for (const char* name : {"lbNote", "lbDescrip", "lbCurrTime", "lbUnloadTime", "lbRemainTime",
                                 "cButtonUnlock", "chButtonShutDown"})
            EXPECT_EQ(v.c(name).fontSize, c.normal) << name;
        for (const char* name : {"lbLockRun", "lbInvalidST", "lbNote", "lbRemainTime"})
            EXPECT_EQ(v.c(name).charset, 134) << name;
    }
}

TEST(LockScreen, MissingLanguageTextsLeaveTheBuiltInCaptions) {
    LockWorld w;
    w.form.open();
    FakeView& v = w.view();
    EXPECT_EQ(v.caption("lbLockRun"), "Vantrel Quorvel Lite is running...");
    EXPECT_EQ(v.caption("lbCurrTime"), "Current Time :");
    EXPECT_EQ(v.caption("lbRemainTime"), "Time Remaining :");
    EXPECT_EQ(v.caption("chButtonShutDown"), "&ShutDown");
}

TEST(LockScreen, WindowCoversEveryMonitorAndTheMainPanelSitsOnThePrimaryOne) {
    struct Case {
        const char* name;
        ScreenRect desktop, primary;
        int windowLeft, windowTop, windowWidth, windowHeight;
        int p1Left, p1Top;   // window coordinates
    };
    // Picture1 is 7320 x 4080 twips.
    const Case cases[] = {
        {"one 1024x768", {0, 0, 15360, 11520}, {0, 0, 15360, 11520}, -100, -100, 15560, 11720,
         100 + (15360 - 7320) / 2, 100 + (11520 - 4080) / 2},
        {"second monitor on the left", {-28800, 0, 57600, 16200}, {0, 0, 28800, 16200}, -28900, -100, 57800, 16400,
         28900 + (28800 - 7320) / 2, 100 + (16200 - 4080) / 2},
        {"second monitor above", {0, -12000, 19200, 26400}, {0, 0, 19200, 14400}, -100, -12100, 19400, 26600,
         100 + (19200 - 7320) / 2, 12100 + (14400 - 4080) / 2},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        LockWorld w;
        w.form.open();
        FakeView& v = w.view();
        v.virtualScreen = c.desktop;
        v.primaryScreen = c.primary;
        w.form.layoutScreen();   // as after a display change

        const auto& win = v.c("");
        EXPECT_EQ(win.left, c.windowLeft);
        EXPECT_EQ(win.top, c.windowTop);
        EXPECT_EQ(win.width, c.windowWidth);
        EXPECT_EQ(win.height, c.windowHeight);

        const auto& p1 = v.c("Picture1");
        EXPECT_EQ(p1.left, c.p1Left);
        EXPECT_EQ(p1.top, c.p1Top);
        const int screenLeft = win.left + p1.left, screenTop = win.top + p1.top;
        EXPECT_GE(screenLeft, c.primary.left);
        EXPECT_LE(screenLeft + p1.width, c.primary.left + c.primary.width);
        EXPECT_GE(screenTop, c.primary.top);

        const auto& p2 = v.c("Picture2");
        EXPECT_EQ(p2.left, p1.left);
        EXPECT_EQ(p2.top, p1.top + p1.height + 80);
        EXPECT_EQ(p2.height, 1000);
        const auto& p3 = v.c("Picture3");
        EXPECT_EQ(p3.top, p1.top);
        EXPECT_EQ(p3.left, p1.left + p1.width + 50);

        // The panels' labels move with them and stay inside them.
        for (auto [child, panel] : {std::pair{"lbLockRun", "Picture1"}, std::pair{"cButtonUnlock", "Picture1"},
                                    std::pair{"lbInvalidST", "Picture2"}, std::pair{"lblTimeRemain", "Picture3"}}) {
            const auto& a = v.c(child);
            const auto& p = v.c(panel);
            EXPECT_GE(a.left, p.left) << child;
            EXPECT_GE(a.top, p.top) << child;
            EXPECT_LE(a.left + a.width, p.left + p.width) << child;
            EXPECT_LE(a.top + a.height, p.top + p.height) << child;
        }
    }
}

TEST(LockScreen, RemainingTimeText) {
    const std::pair<std::int64_t, const char*> cases[] = {
        {3600, "1 Hour, 0 Minute, "},
        {61, "1 Minute, 1 Second"},
        {86400 + 5, "1 Day(s), 0 Hour, 5 Second"},
        {0, ""},
        {-30, ""},
        {1, "1 Second"},
        {60, "1 Minute, 0 Second"},
        {86400, "1 Day(s), 0 Hour, "},
        {90061, "1 Day(s), 1 Hour, 1 Minute, 1 Second"},
        {299 * 3600, "12 Day(s), 11 Hour, 0 Minute, "},
        {3599, "59 Minute, 59 Second"},
    };
    for (auto [seconds, text] : cases) EXPECT_EQ(RemainingTimeText(seconds), text) << seconds;
}

TEST(LockScreen, ClockShowsNowTheUnlockTimeAndWhatRemains) {
    LockWorld w;
    w.hours = 2;
    const DateTime opened = w.clock.t;
    w.form.open();
    EXPECT_TRUE(w.form.timerActive());
    EXPECT_EQ(w.form.unlockTime(), opened + 7200);
    EXPECT_TRUE(w.view().isVisible("Picture3"));
    EXPECT_TRUE(w.view().isVisible("lblTimeRemain"));
    EXPECT_FALSE(w.view().isVisible("Picture2"));

    w.clock.t = opened + 3600;
    w.tick();
    FakeView& v = w.view();
    EXPECT_EQ(v.caption("lblCurrentTime"), "T" + std::to_string(opened + 3600));
    EXPECT_EQ(v.caption("lblUnlockTime"), "T" + std::to_string(opened + 7200));
    EXPECT_EQ(v.caption("lblTimeRemain"), "1 Hour, 0 Minute, ");
    EXPECT_TRUE(v.timerEnabled("Timer1"));
}

TEST(LockScreen, LockExpiresOnlyAtTheFirstTickAfterTheUnlockTime) {
    LockWorld w;
    w.ctx.globals().ownerName = "Ann";
    w.loadStrings({{516, "Idle, %username"}});
    w.hours = 1;
    w.form.open();
    const DateTime unlock = w.form.unlockTime();

    w.clock.t = unlock;   // equal: not yet
    w.tick();
    EXPECT_TRUE(w.form.isLoaded());
    EXPECT_TRUE(w.view().timerEnabled("Timer1"));
    EXPECT_EQ(w.view().caption("lblTimeRemain"), "");
    EXPECT_TRUE(w.mainWindow.calls.empty());

    w.lockDown.calls.clear();
    w.clock.t = unlock + 1;
    w.tick();
    EXPECT_FALSE(w.form.isLoaded());
    EXPECT_FALSE(w.view().isOpen());
    EXPECT_FALSE(w.view().timerEnabled("Timer1"));
    EXPECT_EQ(w.mainWindow.calls, (Log{"delLockIni"}));
    EXPECT_EQ(w.mainWindow.status, "Idle, Ann");
    EXPECT_EQ(w.mainWindow.armed, false);
    EXPECT_EQ(w.notifications.calls, (Log{"unregister"}));
    EXPECT_EQ(w.lockDown.calls.front(), "LockWAllTaskbar -1");
    EXPECT_EQ(w.ctx.globals().lockScreenActive, 0);
}

TEST(LockScreen, ExpiryClosesAnOpenShutDownDialogFirst) {
    LockWorld w;
    w.hours = 1;
    w.form.open();
    bool dialogClosedByExpiry = false;
    w.forms.scripts["frmShutDown"] = [&](Form& dialog) {
        EXPECT_EQ(w.ctx.globals().shutDownDialogOpen, -1);
        EXPECT_EQ(w.ctx.globals().shutDownForm, &dialog);
        w.clock.t = w.form.unlockTime() + 1;
        w.tick();
        dialogClosedByExpiry = !w.forms.viewOf(dialog).isOpen();
    };
    static_cast<Form&>(w.form).click("chButtonShutDown");
    EXPECT_TRUE(dialogClosedByExpiry);
    EXPECT_FALSE(w.form.isLoaded());
    EXPECT_EQ(w.ctx.globals().shutDownDialogOpen, 0);
    EXPECT_EQ(w.ctx.globals().shutDownForm, nullptr);
}

TEST(LockScreen, WithoutATimerFileThePanelStaysHiddenAndTheClockOnlyRearms) {
    struct Case {
        const char* stored;   // nullptr: no file
        int hours;
    };
    for (const Case& c : {Case{nullptr, 0}, Case{"0\r\n", 0}, Case{"100\r\n", 100}}) {
        SCOPED_TRACE(c.stored ? c.stored : "no file");
        LockTimerWorld base;
        if (c.stored) base.putTimer(c.stored);
        LockForm form(base.ctx);   // the real reader of tmhr.tmp
        form.open();
        FakeView& v = base.forms.viewOf(form);
        EXPECT_EQ(form.timerActive(), c.hours > 0);
        EXPECT_EQ(v.isVisible("Picture3"), c.hours > 0);
        EXPECT_EQ(v.isVisible("lbRemainTime"), c.hours > 0);
        if (c.hours > 0) {
            EXPECT_EQ(form.unlockTime(), base.clock.t + c.hours * 3600);
        }

        base.clock.t += 1'000'000'000;   // far past any unlock time
        static_cast<Form&>(form).timer("Timer1");
        EXPECT_EQ(form.isLoaded(), c.hours == 0);
        if (c.hours == 0) {
            EXPECT_TRUE(v.timerEnabled("Timer1"));
            EXPECT_EQ(v.caption("lblCurrentTime"), "");
            EXPECT_TRUE(base.mainWindow.calls.empty());
        }
        static_cast<LockScreenControl&>(form).unload();
    }
}

TEST(LockScreen, WrongKeyNoticeShowsUntilTimer2) {
    LockWorld w;
    w.form.showWrongKeyNotice();   // not loaded: nothing happens
    EXPECT_TRUE(w.forms.shown.empty());

    w.form.open();
    FakeView& v = w.view();
    EXPECT_FALSE(v.isVisible("Picture2"));
    w.form.showWrongKeyNotice();
    EXPECT_TRUE(v.isVisible("Picture2"));
    EXPECT_TRUE(v.isVisible("lbInvalidST"));
    EXPECT_TRUE(v.timerEnabled("Timer2"));
    EXPECT_EQ(v.timers["Timer2"].interval, 6000u);

    static_cast<Form&>(w.form).timer("Timer2");
    EXPECT_FALSE(v.isVisible("Picture2"));
    EXPECT_FALSE(v.isVisible("lbInvalidST"));
    EXPECT_FALSE(v.timerEnabled("Timer2"));
    EXPECT_TRUE(w.form.isLoaded());
}

TEST(LockScreen, ShutDownButtonKeepsItsFlagsOnlyWhileTheDialogIsOpen) {
    LockWorld w;
    w.form.open();
    bool seen = false;
    w.forms.scripts["frmShutDown"] = [&](Form& dialog) {
        seen = true;
        EXPECT_EQ(w.ctx.globals().shutDownDialogOpen, -1);
        EXPECT_EQ(w.ctx.globals().shutDownForm, &dialog);
        dialog.click("cmdCancel");
    };
    static_cast<Form&>(w.form).click("chButtonShutDown");
    EXPECT_TRUE(seen);
    EXPECT_EQ(w.ctx.globals().shutDownDialogOpen, 0);
    EXPECT_EQ(w.ctx.globals().shutDownForm, nullptr);
    EXPECT_TRUE(w.form.isLoaded());
    EXPECT_TRUE(w.power.calls.empty());
}

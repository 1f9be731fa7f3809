#include <array>

#include <gtest/gtest.h>

#include "lock/lock_form.h"
#include "lock/shut_down_form.h"
#include "lock_timer_world.h"

using namespace qv;
using namespace qv::test;

namespace {

// The lock screen with the real reader of the lock duration (tmhr.tmp).
struct LockWorld : LockTimerWorld {
    LockForm form{ctx};

    FakeView& view() { return forms.viewOf(form); }
    LockScreenControl& screen() { return form; }
    void tick(const char* timer = "Timer1") { static_cast<Form&>(form).timer(timer); }
    // The screen comes up and its clock ticks once, which completes the lock.
    void open() { form.open(), tick(); }
};

std::array<int, 4> Box(const FakeView::Control& c) { return {c.left, c.top, c.width, c.height}; }

}  // namespace

TEST(LockScreen, LockDownAndLauncherAreTakenGivenBackForASessionEndAndReleasedInOrderForEachWindowsFamily) {
    // Keys are swallowed as the screen shows; the lock-down, the caller's record and closing the launcher follow at
    // the clock's first tick. Codes 3 and 4 are Windows 98 and Me. A failed hook (0) is not removed, yet Shift is
    // released; without the input service (-1) the library steps still run. A launcher closed by the lock is
    // started again, hidden, from the first of its paths that exists.
    const Log ntOff{"LockW2kSpecialKey 0", "LockW2kTaskManager 0", "LockWAllTaskbar 0"},
        ntOn{"LockWAllTaskbar -1", "LockW2kSpecialKey -1", "LockW2kTaskManager -1"},
        w98Off{"LockW98SpecialKey 0", "LockWAllTaskbar 0"}, w98On{"LockWAllTaskbar -1", "LockW98SpecialKey -1"};
    const std::string first = "C:\\Vantrel\\KvRun\\KvRun.exe", second = "C:\\Program Files\\Vantrel\\KvRun\\KvRun.exe";
    struct Case { std::int16_t osCode; int hook; Log hookCall, off, on, release; bool launcher; Log files, started; };
    const Case cases[] = {
        {-1, 77, {"hook desktop"}, ntOff, ntOn, {"unhook 77", "releaseShift"}, true, {first, second}, {first}},
        {4, 77, {"hook thread"}, w98Off, w98On, {"unhook 77", "releaseShift"}, true, {second}, {second}},
        {-1, 0, {"hook desktop"}, ntOff, ntOn, {"releaseShift"}, true, {}, {}},
        {-1, -1, {}, ntOff, ntOn, {}, false, {first}, {}},   // not closed, so not restarted
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.osCode) + " hook " + std::to_string(c.hook));
        LockWorld w;
        w.ctx.globals().osCode = c.osCode;
        if (c.hook < 0) w.ctx.setInputLock(nullptr);
        else w.input.handle = c.hook;
        for (const std::string& file : c.files) w.fs.put(file, "MZ");
        if (c.launcher) w.desktop.windows[{"ThunderRT6FormDC", "KvRun (001/005)"}] = 0x5150;
        w.screen().sessionEnding();   // not loaded: nothing to give back
        w.form.open([&] { w.lockDown.calls.push_back("record"); });
        w.form.open();   // a second open does nothing
        static_cast<Form&>(w.form).closeRequested();   // and the user cannot close it
        EXPECT_TRUE(w.view().isOpen() && w.view().topMost && w.view().timerEnabled("Timer1"));
        EXPECT_EQ(w.forms.shown.size(), 1u);
        w.lockDown.calls.push_back("shown");
        w.tick();
        w.tick();
        EXPECT_EQ(w.ctx.globals().lockScreenActive, -1);
        EXPECT_EQ(w.desktop.closed.size(), c.launcher ? 1u : 0u);
        for (int i = 0; i < 2; ++i) w.screen().sessionEnding();   // gives the features back once,
        for (int i = 0; i < 2; ++i) w.screen().sessionGoesOn();   // and a cancelled end takes them again once
        w.lockDown.calls.push_back("close");
        EXPECT_TRUE(w.shell.opened.empty());
        w.screen().unload();
        Log expected = c.hookCall;
        for (const Log& part : {Log{"shown"}, c.off, Log{"record"}, c.on, c.off, Log{"close"}, c.on, c.release})
            expected.insert(expected.end(), part.begin(), part.end());
        EXPECT_EQ(w.lockDown.calls, expected);
        EXPECT_FALSE(w.form.isLoaded() || w.view().isOpen() || w.ctx.globals().lockScreenActive);
        EXPECT_EQ(w.shell.opened, c.started);
        EXPECT_TRUE(c.started.empty() || (w.shell.openedIn == LockWorld::kFolder && w.shell.openedHidden));
    }
}

TEST(LockScreen, WindowCoversEveryMonitorAndThePanelsSitInThePrimaryWorkArea) {
    LockWorld w;   // two monitors, the primary on the right
    w.form.open();
    FakeView& v = w.view();
    v.virtualScreen = {-28800, 0, 57600, 16200};
    v.primaryScreen = {0, 0, 28800, 16200};
    w.form.layoutScreen();   // as after a display change
    // The window overhangs the whole desktop; the panels sit in the middle of the primary monitor,
    // the notice below, the timer panel beside them: all in window coordinates.
    EXPECT_EQ(Box(v.c("")), (std::array{-28900, -100, 57800, 16400}));
    EXPECT_EQ(Box(v.c("Picture1")), (std::array{39640, 6160, 7320, 4080}));
    EXPECT_EQ((std::array{v.c("Picture2").top, v.c("Picture3").left}), (std::array{6160 + 4160, 39640 + 7370}));
}

// With a lock duration, the countdown runs and the lock expires at the first tick after the unlock
// time, closing an open shut-down dialog first; without one, only the wrong-key notice comes and
// goes, however late it gets. Chinese texts are larger.
TEST(LockScreen, TimedLockExpiresAtTheFirstTickAfterTheUnlockTimeUntimedNever) {
    for (bool timed : {true, false}) {
        SCOPED_TRACE(timed);
        LockWorld w;
        w.form.showWrongKeyNotice();   // not loaded: nothing happens
        w.ctx.globals().ownerName = "Ann";
        if (timed) {
            w.ctx.globals().languageId = "0804";
            w.loadStrings({{516, "Idle, %username"}, {503, "Hello %USERNAME, use %username's key"}, {116, "Now"}});
            w.putTimer("100\r\n");   // beyond the settings dialog's 24 hours, within the lock screen's
        }
        const DateTime unlock = w.clock.t + 100 * 3600;
        w.open();
        FakeView& v = w.view();
        EXPECT_EQ(v.isVisible("Picture3") && v.isVisible("lblTimeRemain"), timed);
        EXPECT_EQ(v.caption("lbCurrTime"), timed ? "Now : " : "Current Time :");   // built in without a language text
        EXPECT_EQ((std::array{v.c("lbLockRun").fontSize, v.c("lbInvalidST").fontSize, v.c("cButtonUnlock").fontSize}),
                  (timed ? std::array{14, 12, 9} : std::array{12, 10, 8}));
        for (bool shown : {true, false}) {
            if (shown) w.form.showWrongKeyNotice();
            else w.tick("Timer2");
            EXPECT_EQ((std::array{v.isVisible("Picture2"), v.isVisible("lbInvalidST"), v.timerEnabled("Timer2")}),
                      (std::array{shown, shown, shown}));
        }
        w.clock.t = unlock - 3600;
        w.tick();
        EXPECT_EQ(v.caption("lblUnlockTime") + v.caption("lblTimeRemain"),
                  timed ? "T" + std::to_string(unlock) + "1 Hour, 0 Minute, " : "");
        w.clock.t = timed ? unlock : unlock + 1'000'000'000;   // equal: not yet
        w.tick();
        EXPECT_TRUE(w.form.isLoaded() && v.timerEnabled("Timer1") && w.mainWindow.calls.empty());
        if (!timed) continue;
        EXPECT_EQ(v.caption("lbDescrip") + "|" + v.caption("lblCurrentTime"),
                  "Hello Ann, use Ann's key|T" + std::to_string(unlock));
        bool closedByExpiry = false;
        w.forms.scripts["frmShutDown"] = [&](Form& dialog) {
            w.tick();
            closedByExpiry = !w.forms.viewOf(dialog).isOpen();
        };
        w.ctx.globals().lockNeeds.passphrase = "HELD-SINCE-ARMING";
        w.ctx.globals().lockNeeds.held = true;
        w.clock.t = unlock + 1;
        static_cast<Form&>(w.form).click("chButtonShutDown");
        EXPECT_TRUE(closedByExpiry);
        EXPECT_FALSE(w.ctx.globals().shutDownDialogOpen || w.ctx.globals().shutDownForm);
        EXPECT_FALSE(w.form.isLoaded() || v.isOpen() || v.timerEnabled("Timer1"));
        EXPECT_FALSE(w.ctx.globals().lockNeeds.held || !w.ctx.globals().lockNeeds.passphrase.empty());
        // A resumed lock's polling stops with it: nothing hides the task bar afterwards.
        EXPECT_EQ(w.mainWindow.calls, (Log{"delLockIni", "stopPolling"}));
        EXPECT_EQ(w.mainWindow.status + (w.mainWindow.armed == false ? " disarmed" : ""), "Idle, Ann disarmed");
        EXPECT_EQ(w.notifications.calls, (Log{"unregister"}));
    }
}

TEST(ShutDownDialog, OkGivesBackWhatTheLockSwitchedOffThenCallsThePowerFunctionOfTheChoice) {
    // Windows 98 and Me wait for the program's windows to close. A refusal keeps the lock, switches off again what
    // it had given back, and puts the dialog back as it was, with the system's reason. Cancel changes nothing.
    const std::string asked = "Are you sure want to shut down your computer? buttons",
                      refusal = "Shut Down Windows|The computer could not be shut down: Windows refused.\r\n\r\n"
                                "Access is denied.|" + std::to_string(MbIconExclamation);
    struct Case { std::int16_t osCode; const char *choice, *call; bool closesWindows, refused = false; };
    const Case cases[] = {
        {-1, "Shut down", "shutdownNt", false}, {-1, "Restart", "restart", false}, {3, "Log off", "logOff", true},
        {4, "Shut down", "exitWindows98", true}, {3, "Restart", "restart", true}, {-1, nullptr, nullptr, false},
        {3, "Shut down", "exitWindows98", false, true}, {-1, "Log off", "logOff", false, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.osCode) + " " + (c.choice ? c.choice : "cancel") + (c.refused ? " refused" : ""));
        FakeWorld w;
        ShutDownForm form(w.ctx);
        w.ctx.globals().osCode = c.osCode;
        w.power.result = !c.refused;
        w.shell.errorDescription = "Access is denied.";
        std::string atCall, after;   // what the screen shows when the call is made, and after it
        w.forms.scripts["frmShutDown"] = [&](Form&) {
            FakeView& v = w.forms.viewOf(form);
            EXPECT_TRUE(v.topMost);
            EXPECT_EQ(v.c("Combo1").items, (Log{"Shut down", "Restart", "Log off"}));
            w.power.onCall = [&] {
                atCall = std::to_string(w.desktop.doEventsCalls) + " " + v.caption("lbShutDown");
                if (v.isVisible("cmdOk") || v.isVisible("cmdCancel")) atCall += " buttons";
                for (const std::string& call : w.lockScreen.calls) atCall += ", " + call;
            };
            if (c.choice && std::string(c.choice) != "Shut down") v.setText("Combo1", c.choice);   // the default
            form.click(c.choice ? "cmdOk" : "cmdCancel");
            EXPECT_EQ(v.isOpen(), c.choice != nullptr) << "the dialog itself stays until the system goes down";
            after = v.caption("lbShutDown") + (v.isVisible("cmdOk") && v.isVisible("cmdCancel") ? " buttons" : "");
        };
        w.forms.showModal(form);
        EXPECT_EQ(after, c.refused || !c.choice ? asked : "Your computer is shutting down ...");
        EXPECT_EQ(w.messages.boxes(), c.refused ? Log{refusal} : Log{});
        EXPECT_EQ(w.power.calls, c.call ? Log{c.call} : Log{});
        EXPECT_EQ(atCall, c.call ? "2 Your computer is shutting down ..., sessionEnding" : "");
        Log lockCalls{"sessionEnding"};
        if (c.refused) lockCalls.push_back("sessionGoesOn");
        if (c.closesWindows) lockCalls.push_back("unload");
        EXPECT_EQ(w.lockScreen.calls, c.call ? lockCalls : Log{});
        EXPECT_EQ(w.mainWindow.calls, c.closesWindows ? Log{"unload"} : Log{});
        EXPECT_TRUE(w.lockDown.calls.empty());
    }
}

// frmLock: the full-screen, topmost lock screen. While it is loaded the desktop is locked
// down (special keys, Task Manager, task bar, keyboard hook); it shows the clock and, for a
// timed lock, the remaining time, and ends the lock itself when that time has passed.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

#include "app/context.h"

namespace qv {

// The remaining-time text of the timer panel for `seconds` left ("1 Hour, 0 Minute, ").
std::string RemainingTimeText(std::int64_t seconds);

namespace detail {
// Form::unload (the unload handler) and LockScreenControl::unload (close the screen) share a
// name; these give the two a name of their own each.
class LockFormHandlers : public Form {
public:
    void unload() final { formUnload(); }
    virtual void formUnload() = 0;
};
class LockScreenLink : public LockScreenControl {
public:
    void unload() final { unloadScreen(); }
    virtual void unloadScreen() = 0;
};
}  // namespace detail

// The desktop is covered first: the screen shows with keys already swallowed, and the
// lock-down calls, the lock duration, the caller's record and the launcher follow at the
// clock's first tick, once the screen is up.
// Register it with ctx.setLockScreen(&form). Its two unloads are reached through the base
// they belong to: Form& (the unload handler) or LockScreenControl& (close the screen).
class LockForm : public detail::LockFormHandlers, public detail::LockScreenLink {
public:
    // Reads the lock duration in hours (0: no timed lock); ReadLockTimerDuration by default.
    using DurationReader = std::function<int(Context&)>;
    explicit LockForm(Context& ctx, DurationReader readDuration = {});

    const char* name() const override { return "frmLock"; }
    void load() override;
    // Captions, fonts and layout: what takes time and needs no lock yet.
    void dress() override;
    void formUnload() override;
    // The lock screen cannot be closed from its window (Esc, Alt+F4, a close request).
    void closeRequested() override {}
    void click(const std::string& control) override;
    void timer(const std::string& timer) override;

    // LockScreenControl, for the main window.
    bool isLoaded() const override { return loaded_; }
    void open(std::function<void()> afterCovered = {}) override;
    void stopClock() override;
    void unloadScreen() override;
    void showWrongKeyNotice() override;
    void enableTaskbar(bool on) override { EnableWAllTaskbar(on); }
    void sessionEnding() override;
    void sessionGoesOn() override;

    // Covers the whole desktop again and places the panels; also when the display layout changes.
    void layoutScreen();

    // Lock-down wrappers: true switches the feature on (-1), false off (0).
    void EnableW2kSpecialKey(bool on);
    void EnableW98SpecialKey(bool on);
    void EnableW2kTaskMgr(bool on);
    void EnableWAllTaskbar(bool on);

    static constexpr unsigned kClockIntervalMs = 10;
    static constexpr unsigned kNoticeIntervalMs = 6000;
    static constexpr const char* kLauncherTitle = "KvRun (001/005)";
    static constexpr const char* kLauncherPaths[] = {"C:\\Vantrel\\KvRun\\KvRun.exe",
                                                     "C:\\Program Files\\Vantrel\\KvRun\\KvRun.exe"};

private:
    void applyLockCaptions();
    void finishOpening();
    void engageLockDown();
    void releaseLockDown();
    // The library features alone, without the keyboard hook.
    void switchFeatures(bool on);
    void readLockTimer();
    void closeLauncherWindow();
    void restartLauncher();
    void tick();
    void expire();
    void showPanel(const char* panel, bool visible);
    void runShutDownDialog();

    Context& ctx_;
    DurationReader readDuration_;
    bool loaded_ = false;
    bool sessionEnding_ = false;
    bool opened_ = false;   // the steps after covering the desktop have run
    std::function<void()> afterCovered_;
    DateTime shownAt_ = -1;   // the time the clock's labels show
    bool timerActive_ = false;
    DateTime unlockTime_ = 0;
    bool launcherClosed_ = false;
    std::uintptr_t keyboardHook_ = 0;
};

}  // namespace qv

// What the windows ask of each other. The main window and the lock screen implement these;
// the dialogs reach them through the Context, so each window's behaviour is testable alone.
#pragma once

#include <functional>
#include <string>

namespace qv {

class MainWindow {
public:
    virtual ~MainWindow() = default;
    virtual void setStatus(const std::string& text) = 0;      // Label3
    virtual void setStatusBar(const std::string& text) = 0;   // first panel of StatusBar
    // Inactive: Lock on, Unlock off; armed: the other way round.
    virtual void setArmed(bool armed) = 0;
    // The main window's set-password command (cmdSetPass).
    virtual void runSetPasswordCommand() = 0;
    virtual void writeLockIni() = 0;
    virtual void delLockIni() = 0;
    // Stops the main window's polling timer (Timer1).
    virtual void stopPolling() = 0;
    // Unloads the main window (the program then ends unless another window is open).
    virtual void unloadMainWindow() = 0;
};

class LockScreenControl {
public:
    virtual ~LockScreenControl() = default;
    virtual bool isLoaded() const = 0;
    // Shows the lock screen without waiting. `afterCovered` (may be empty) runs once the screen
    // is up, with the rest of the lock's opening.
    virtual void open(std::function<void()> afterCovered) = 0;
    // Stops the clock and countdown timer (Timer1).
    virtual void stopClock() = 0;
    // Unloads the lock screen; its unload releases the lock-down.
    virtual void unload() = 0;
    // Shows the wrong-key notice and starts the timer that hides it.
    virtual void showWrongKeyNotice() = 0;
    // The task bar off (false) or on (true) through the lock-down library.
    virtual void enableTaskbar(bool on) = 0;
    // The session is about to end (shut-down, restart, log-off): the task bars, the Task Manager
    // and the Ctrl+Alt+Del entries come back as at an unlock, while the screen and the lock
    // record stay, so the lock resumes at the next start. Nothing when the screen is not loaded.
    virtual void sessionEnding() = 0;
    // The session did not end after all: switches them off again.
    virtual void sessionGoesOn() = 0;
};

// The shell's drive notifications for the main window.
class DriveNotifications {
public:
    virtual ~DriveNotifications() = default;
    // Replaces the main window's procedure so notifications reach it; true on success.
    virtual bool subclassWindow() = 0;
    virtual bool registerDriveNotify() = 0;
    virtual bool unregisterDriveNotify() = 0;
};

}  // namespace qv

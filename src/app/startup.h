// The start routine: single instance, settings, string libraries, start-up window, main window.
#pragma once

#include "app/context.h"

namespace qv {

// The fixed start-up failure messages; no language library can be loaded before them.
inline constexpr const char* kMsgAlreadyRunning =
    "Application already found running on the system. It may be running on the background. Please make "
    "sure you close the application before launching another instance again.";
inline constexpr const char* kMsgNoLanguageId =
    "Fail to determine language id. Setting.ini file may be missing or corrupted. Operation aborted.";
inline constexpr const char* kMsgNoLanguageFile =
    "The language file required may be missing or corrupted. Operation aborted.";
inline constexpr const char* kMsgNoCharset =
    "Fail to determine character set to be used. Setting.ini file may be missing or corrupted. "
    "Operation aborted.";

// The windows the start routine shows, made by the caller so the Win32 side can own them.
class StartupWindows {
public:
    virtual ~StartupWindows() = default;
    // Shows the start-up window modelessly, repaints it and unloads it again.
    virtual void showProgress() = 0;
    // Loads and shows the main window; false when its load unloaded it again.
    virtual bool showMain() = 0;
};

enum class StartupResult { MainWindowShown, Ended };

// Main. Returns whether the program goes on running with its main window.
StartupResult RunMain(Context& ctx, StartupWindows& windows);

}  // namespace qv

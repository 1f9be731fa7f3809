#include "lock/lock_form.h"

#include <algorithm>
#include <string_view>
#include <utility>

#include "app/os_version.h"
#include "lock/input_lock.h"
#include "lock/lock_needs.h"
#include "lock/lock_timer.h"
#include "lock/shut_down_form.h"
#include "password/set_password_command.h"

namespace qv {

namespace {

// The layout is drawn at 96 dpi: 15 twips a pixel.
constexpr int kPx = 15;

struct Panel {
    const char* name;
    int width, height;   // twips
};
constexpr Panel kMainPanel{"Picture1", 488 * kPx, 272 * kPx};
constexpr Panel kNoticePanel{"Picture2", kMainPanel.width, 1000};
constexpr Panel kTimerPanel{"Picture3", 256 * kPx, kMainPanel.height};

// Controls held by the panels, with their place inside the panel (twips).
struct Placement {
    const char* control;
    const char* panel;
    int left, top, width, height;
};
constexpr Placement kPlacements[] = {
    {"Image1", "Picture1", 28 * kPx, 36 * kPx, 96 * kPx, 112 * kPx},
    {"lbLockRun", "Picture1", 148 * kPx, 32 * kPx, 316 * kPx, 44 * kPx},
    {"lbNote", "Picture1", 148 * kPx, 92 * kPx, 316 * kPx, 16 * kPx},
    {"lbDescrip", "Picture1", 148 * kPx, 110 * kPx, 316 * kPx, 80 * kPx},
    {"chButtonShutDown", "Picture1", 24 * kPx, 218 * kPx, 124 * kPx, 32 * kPx},
    {"cButtonUnlock", "Picture1", 340 * kPx, 218 * kPx, 124 * kPx, 32 * kPx},
    {"lbInvalidST", "Picture2", 64 * kPx, 300, 400 * kPx, 400},
    {"lbCurrTime", "Picture3", 20 * kPx, 28 * kPx, 216 * kPx, 16 * kPx},
    {"lblCurrentTime", "Picture3", 20 * kPx, 46 * kPx, 216 * kPx, 20 * kPx},
    {"lbUnloadTime", "Picture3", 20 * kPx, 102 * kPx, 216 * kPx, 16 * kPx},
    {"lblUnlockTime", "Picture3", 20 * kPx, 120 * kPx, 216 * kPx, 20 * kPx},
    {"lbRemainTime", "Picture3", 20 * kPx, 176 * kPx, 216 * kPx, 16 * kPx},
    {"lblTimeRemain", "Picture3", 20 * kPx, 194 * kPx, 216 * kPx, 40 * kPx},
};

enum class FontKind { Headline, Notice, Normal };
struct CaptionSpec {
    const char* control;
    std::uint32_t langId;
    const char* suffix;   // appended to a language text
    bool user;            // "%username" replaced
    FontKind font;
    const char* builtIn;
};
constexpr CaptionSpec kCaptions[] = {
    {"lbLockRun", 502, "", false, FontKind::Headline, "Vantrel Quorvel Lite is running..."},
    {"lbNote", 505, "", false, FontKind::Normal, "Note:"},
    {"lbDescrip", 503, "", true, FontKind::Normal,
     "In the when case you lose your Vantrel, please click the Unlock button below to unlock your PC with secure "
     "password."},
    {"lbInvalidST", 504, "", false, FontKind::Notice, "Invalid Vantrel to unlock this computer."},
    {"lbCurrTime", 116, " : ", false, FontKind::Normal, "Current Time :"},
    {"lbUnloadTime", 117, " : ", false, FontKind::Normal, "Unlock Time :"},
    {"lbRemainTime", 118, " : ", false, FontKind::Normal, "Time Remaining :"},
    {"cButtonUnlock", 109, "", false, FontKind::Normal, "&Unlock"},
    {"chButtonShutDown", 110, "", false, FontKind::Normal, "&ShutDown"},
};

// The lock screen's own font sizes: larger for the Chinese languages.
int LockFontSize(const std::string& languageId, FontKind kind) {
    const bool chinese = languageId == "0804" || languageId == "0404";
    switch (kind) {
    case FontKind::Headline: return chinese ? 14 : 12;
    case FontKind::Notice: return chinese ? 12 : 10;
    case FontKind::Normal: break;
    }
    return chinese ? 9 : 8;
}

std::int32_t Flag(bool on) { return on ? kFeatureOn : kFeatureOff; }

}  // namespace

std::string RemainingTimeText(std::int64_t s) {
    std::int64_t seconds = 0, minutes = 0, hours = 0, days = 0;
    if (s >= 1) {
        seconds = s % 60;
        const std::int64_t m = s / 60;
        minutes = m % 60;
        const std::int64_t h = m / 60;
        hours = h % 24;
        days = h / 24;
    }
    // A zero unit is shown only when the next larger unit is shown.
    std::string text;
    if (days > 0) text += std::to_string(days) + " Day(s), ";
    if (hours >= 1) text += std::to_string(hours) + " Hour, ";
    else if (days > 0) text += "0 Hour, ";
    if (minutes >= 1) text += std::to_string(minutes) + " Minute, ";
    else if (hours > 0) text += "0 Minute, ";
    if (seconds >= 1) text += std::to_string(seconds) + " Second";
    else if (minutes > 0) text += "0 Second";
    return text;
}

LockForm::LockForm(Context& ctx, DurationReader readDuration)
    : ctx_(ctx), readDuration_(readDuration ? std::move(readDuration) : DurationReader(LockHours)) {}

void LockForm::open(std::function<void()> afterCovered) {
    if (loaded_) return;
    afterCovered_ = std::move(afterCovered);
    ctx_.services().forms.showModeless(*this);
}

void LockForm::dress() {
    applyLockCaptions();
    layoutScreen();
    // Both side panels start hidden, as the window was designed.
    showPanel("Picture2", false);
    showPanel("Picture3", false);
}

void LockForm::load() {
    loaded_ = true;
    opened_ = false;
    shownAt_ = -1;
    ctx_.globals().lockScreenActive = -1;
    // Again on a window dressed ahead: the display may have changed since, and the view
    // leaves alone what is already so.
    dress();
    view().setTopMost();
    // Keys are swallowed from the moment the screen shows.
    InputLock* input = ctx_.inputLock();
    keyboardHook_ = input ? input->installKeyboardHook(IsWin98OrMe(ctx_.globals().osCode)) : 0;
    // Its first tick comes once the screen is up and painted: timer messages come last.
    view().setTimer("Timer1", true, kClockIntervalMs);
}

void LockForm::finishOpening() {
    opened_ = true;
    switchFeatures(false);
    if (auto step = std::exchange(afterCovered_, {})) step();
    readLockTimer();
    // Last: closing the launcher lets pending messages run, which may end the lock.
    closeLauncherWindow();
}

void LockForm::formUnload() {
    if (!loaded_) return;
    loaded_ = false;
    sessionEnding_ = false;
    afterCovered_ = nullptr;   // a lock that ended before its screen was up leaves no record
    ctx_.globals().lockScreenActive = 0;
    releaseLockDown();
    if (launcherClosed_) restartLauncher();
    launcherClosed_ = false;
}

void LockForm::applyLockCaptions() {
    View& v = view();
    const int charset = ctx_.charset();
    for (const CaptionSpec& c : kCaptions) {
        std::string text = c.user ? ctx_.langUser(c.langId) : ctx_.lang(c.langId);
        v.setCaption(c.control, text.empty() ? std::string(c.builtIn) : text + c.suffix);
        v.setFont(c.control, LockFontSize(ctx_.globals().languageId, c.font), charset);
    }
}

void LockForm::layoutScreen() {
    if (!attached()) return;
    View& v = view();
    const ScreenRect desktop = v.virtualScreenTwips();
    ScreenRect primary = v.primaryScreenTwips();
    if (primary.width <= 0 || primary.height <= 0) primary = desktop;

    // The window overhangs every edge of the whole desktop by 100 twips.
    const int left = desktop.left - 100, top = desktop.top - 100;
    v.move("", left, top, desktop.width + 200, desktop.height + 200);

    // The main panel sits in the middle of the primary monitor's work area (in the window's
    // own coordinates), so it is never split across two monitors. On a small or scaled screen
    // the timer panel beside it would run past the right edge: then the pair moves left, and
    // the notice below moves up, as far as the work area allows.
    const int areaLeft = primary.left - left, areaTop = primary.top - top;
    const int groupWidth = kMainPanel.width + 50 + kTimerPanel.width;
    const int groupHeight = kMainPanel.height + 80 + kNoticePanel.height;
    int p1Left = areaLeft + (primary.width - kMainPanel.width) / 2;
    int p1Top = areaTop + (primary.height - kMainPanel.height) / 2;
    if (p1Left + groupWidth > areaLeft + primary.width)
        p1Left = std::max(areaLeft, areaLeft + primary.width - groupWidth);
    if (p1Top + groupHeight > areaTop + primary.height)
        p1Top = std::max(areaTop, areaTop + primary.height - groupHeight);
    struct Place {
        const Panel& panel;
        int left, top;
    };
    const Place places[] = {
        {kMainPanel, p1Left, p1Top},
        {kNoticePanel, p1Left, p1Top + kMainPanel.height + 80},
        {kTimerPanel, p1Left + kMainPanel.width + 50, p1Top},
    };
    for (const Place& p : places) {
        v.move(p.panel.name, p.left, p.top, p.panel.width, p.panel.height);
        for (const Placement& c : kPlacements) {
            if (std::string_view(c.panel) == p.panel.name)
                v.move(c.control, p.left + c.left, p.top + c.top, c.width, c.height);
        }
    }
}

void LockForm::showPanel(const char* panel, bool visible) {
    View& v = view();
    v.setVisible(panel, visible);
    for (const Placement& c : kPlacements) {
        if (std::string_view(c.panel) == panel) v.setVisible(c.control, visible);
    }
}

void LockForm::EnableW2kSpecialKey(bool on) { ctx_.services().lockDown.lockW2kSpecialKey(Flag(on)); }
void LockForm::EnableW98SpecialKey(bool on) { ctx_.services().lockDown.lockW98SpecialKey(Flag(on)); }
void LockForm::EnableW2kTaskMgr(bool on) { ctx_.services().lockDown.lockW2kTaskManager(Flag(on)); }
void LockForm::EnableWAllTaskbar(bool on) { ctx_.services().lockDown.lockWAllTaskbar(Flag(on)); }

void LockForm::engageLockDown() {
    if (IsWin98OrMe(ctx_.globals().osCode)) {
        EnableW98SpecialKey(false);
    } else {
        EnableW2kSpecialKey(false);
        EnableW2kTaskMgr(false);
    }
}

void LockForm::switchFeatures(bool on) {
    if (!on) {
        engageLockDown();
        EnableWAllTaskbar(false);
        return;
    }
    EnableWAllTaskbar(true);
    if (IsWin98OrMe(ctx_.globals().osCode)) {
        EnableW98SpecialKey(true);
    } else {
        EnableW2kSpecialKey(true);
        EnableW2kTaskMgr(true);
    }
}

void LockForm::sessionEnding() {
    if (!loaded_ || sessionEnding_) return;
    sessionEnding_ = true;
    switchFeatures(true);
}

void LockForm::sessionGoesOn() {
    if (!loaded_ || !sessionEnding_) return;
    sessionEnding_ = false;
    switchFeatures(false);
}

void LockForm::releaseLockDown() {
    switchFeatures(true);
    InputLock* input = ctx_.inputLock();
    if (keyboardHook_ != 0 && input) input->removeKeyboardHook(keyboardHook_);
    keyboardHook_ = 0;
    if (input) input->releaseShiftKey();
}

void LockForm::readLockTimer() {
    timerActive_ = false;
    int hours = 0;
    try {
        hours = readDuration_(ctx_);
    } catch (...) {
        hours = 0;   // an unreadable duration means no timed lock
    }
    if (hours <= 0) return;
    unlockTime_ = UnlockTimeFor(ctx_.services().clock.now(), hours);
    timerActive_ = true;
    showPanel("Picture3", true);
}

void LockForm::closeLauncherWindow() {
    Desktop& desktop = ctx_.services().desktop;
    launcherClosed_ = false;
    WindowHandle launcher = desktop.findWindow("", kLauncherTitle);
    if (!launcher) return;
    desktop.postClose(launcher);
    // Noted before messages run: an unload among them restarts the launcher.
    launcherClosed_ = true;
    desktop.doEvents();
}

void LockForm::restartLauncher() {
    Services& s = ctx_.services();
    for (const char* path : kLauncherPaths) {
        auto info = s.fs.stat(path);
        if (!info || info->isDirectory()) continue;
        // Hidden, with the program folder as its working folder, on every version.
        s.shell.open(path, ctx_.globals().programFolder, true);
        return;
    }
}

void LockForm::timer(const std::string& name) {
    if (!loaded_ || !attached()) return;
    if (name == "Timer1") {
        tick();
    } else if (name == "Timer2") {
        view().setTimer("Timer2", false, kNoticeIntervalMs);
        showPanel("Picture2", false);
    }
}

void LockForm::tick() {
    if (!opened_) {
        // Held while the rest of the opening runs: it lets pending messages run.
        view().setTimer("Timer1", false, kClockIntervalMs);
        finishOpening();
        if (!loaded_ || !attached()) return;
        view().setTimer("Timer1", true, kClockIntervalMs);
    }
    // The clock ticks a hundred times a second but its labels change once a second: a tick
    // reads the time and compares it, nothing more, until the second turns.
    if (!timerActive_) return;
    Clock& clock = ctx_.services().clock;
    const DateTime now = clock.now();
    if (now == shownAt_) return;
    shownAt_ = now;
    View& v = view();
    const std::pair<const char*, std::string> texts[] = {{"lblCurrentTime", clock.generalDate(now)},
                                                         {"lblUnlockTime", clock.generalDate(unlockTime_)},
                                                         {"lblTimeRemain", RemainingTimeText(unlockTime_ - now)}};
    for (const auto& [label, text] : texts) {
        if (v.caption(label) != text) v.setCaption(label, text);
    }
    if (now > unlockTime_) {
        v.setTimer("Timer1", false, kClockIntervalMs);
        expire();
    }
}

void LockForm::expire() {
    MainWindow* main = ctx_.mainWindow();
    if (main) {
        main->delLockIni();
        main->setStatus(ctx_.langUser(516));
    }
    if (DriveNotifications* notifications = ctx_.driveNotifications()) notifications->unregisterDriveNotify();
    ReleaseLockNeeds(ctx_);
    if (main) {
        main->setArmed(false);
        // A resumed lock polls for the key; with the lock over nothing may hide the task bar.
        main->stopPolling();
    }
    // A password or shut-down dialog still open over the screen goes first, as with the other
    // ways a lock ends.
    Globals& g = ctx_.globals();
    for (Form* dialog : {g.passwordDialogOpen ? g.passwordForm : nullptr,
                         g.shutDownDialogOpen ? g.shutDownForm : nullptr}) {
        if (dialog && dialog->attached() && dialog->view().isOpen()) dialog->view().close();
    }
    unloadScreen();
}

void LockForm::unloadScreen() {
    if (!loaded_ || !attached()) return;
    // The desktop is given back before the window goes: taking a window down may wait on the
    // display (a window manager's answer) and the user should not wait with it.
    formUnload();
    view().close();
}

void LockForm::stopClock() {
    if (loaded_ && attached()) view().setTimer("Timer1", false, kClockIntervalMs);
}

void LockForm::showWrongKeyNotice() {
    if (!loaded_ || !attached()) return;
    showPanel("Picture2", true);
    view().setTimer("Timer2", true, kNoticeIntervalMs);
}

void LockForm::click(const std::string& control) {
    if (control == "cButtonUnlock") RunPasswordDialog(ctx_);
    else if (control == "chButtonShutDown") runShutDownDialog();
}

void LockForm::runShutDownDialog() {
    Globals& g = ctx_.globals();
    ShutDownForm dialog(ctx_);
    g.shutDownDialogOpen = -1;
    g.shutDownForm = &dialog;
    ctx_.services().forms.showModal(dialog);
    g.shutDownForm = nullptr;
    g.shutDownDialogOpen = 0;
}

}  // namespace qv

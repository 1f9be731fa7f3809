#include "lock/shut_down_form.h"

#include "app/os_version.h"
#include "app/text.h"
#include "lock/system_power.h"

namespace qv {

namespace {
std::string OrBuiltIn(const std::string& text, const char* builtIn) { return text.empty() ? builtIn : text; }
}  // namespace

std::string ShutDownForm::prompt() {
    return OrBuiltIn(ctx_.lang(521), "Are you sure want to shut down your computer?");
}

void ShutDownForm::load() {
    View& v = view();
    v.setCaption("", OrBuiltIn(ctx_.lang(306), "Shut Down Windows"));
    v.setCaption("lbShutDown", prompt());
    v.setCaption("cmdOk", OrBuiltIn(ctx_.lang(100), "&Ok"));
    v.setCaption("cmdCancel", OrBuiltIn(ctx_.lang(101), "&Cancel"));
    ctx_.applyFontRule(v, {"lbShutDown", "cmdOk", "cmdCancel"});
    v.setTopMost();
    v.clearItems("Combo1");
    for (const char* item : {kShutDown, kRestart, kLogOff}) v.addItem("Combo1", item);
    v.setText("Combo1", kShutDown);
}

void ShutDownForm::click(const std::string& control) {
    if (control == "cmdOk") shutDown();
    else if (control == "cmdCancel") view().close();
}

void ShutDownForm::shutDown() {
    Desktop& desktop = ctx_.services().desktop;
    View& v = view();
    desktop.doEvents();
    v.setCaption("lbShutDown", kShuttingDown);
    v.setVisible("cmdOk", false);
    v.setVisible("cmdCancel", false);
    // Let the new text paint before the system goes down.
    desktop.doEvents();

    const std::string choice = Trim(v.text("Combo1"));
    SystemPower* power = ctx_.systemPower();
    const bool win98 = IsWin98OrMe(ctx_.globals().osCode);
    LockScreenControl* lock = ctx_.lockScreen();
    // The shut-down on NT tells no program before the power goes: whatever the lock switched
    // off must be back on first, or it stays off for the next session.
    if (lock && power) lock->sessionEnding();
    bool accepted = false;
    if (power) {
        if (choice == kRestart) accepted = power->restart();
        else if (choice == kLogOff) accepted = power->logOff();
        else if (win98) accepted = power->exitWindows98();
        else accepted = power->shutdownNt();
    }
    if (!accepted) {
        if (lock && power) lock->sessionGoesOn();
        refused();
        return;
    }
    // Windows 98 and Me wait for the program's windows to close before they go down.
    if (!win98) return;
    if (lock) lock->unload();
    if (MainWindow* main = ctx_.mainWindow()) main->unloadMainWindow();
}

// The lock stays (closing the screen would unlock the computer); the dialog comes back as
// it was, so the person may try again or cancel, and hears why nothing happened.
void ShutDownForm::refused() {
    const std::string reason = ctx_.services().shell.lastErrorDescription();
    View& v = view();
    v.setCaption("lbShutDown", prompt());
    v.setVisible("cmdOk", true);
    v.setVisible("cmdCancel", true);
    std::string text = OrBuiltIn(ctx_.lang(567), "The computer could not be shut down: Windows refused.");
    if (!reason.empty()) text += "\r\n\r\n" + reason;
    ctx_.message(text, OrBuiltIn(ctx_.lang(306), "Shut Down Windows"), MbIconExclamation);
}

}  // namespace qv

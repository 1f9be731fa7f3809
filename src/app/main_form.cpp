#include "app/main_form.h"

#include "app/os_version.h"
#include "app/text.h"

namespace qv {

void MainForm::applyMainCaptions() {
    View& v = view();
    struct Caption {
        const char* control;
        std::uint32_t id;
    };
    static constexpr Caption kLanguage[] = {
        {"", 302},          {"lbActiveDescrip", 548}, {"lbDeactiveDescrip", 549}, {"lbChangeSetting", 554},
        {"cmdLock", 111},   {"cmdUnlock", 112},       {"cmdSetPass", 113},        {"cmdCancel", 108},
        {"cmdSetTime", 115}, {"mnuFile", 134},        {"mnuFileActivate", 135},   {"mnuFileDeactivate", 136},
        {"mnuFileExit", 137}, {"mnuSetting", 138},    {"Setting2", 138},
    };
    for (const Caption& c : kLanguage) v.setCaption(c.control, ctx_.lang(c.id));
    static constexpr Caption kLic[] = {{"mnuHelp", 103},        {"mnuHelpOnline", 105}, {"mnuHelpUpdates", 106},
                                       {"mnuHelpComparison", 122}, {"mnuHelpAbout", 107}};
    v.setCaption("mnuHelp", ctx_.lic(103));
    v.setCaption("mnuHelpWhat", ReplaceNoCase(ctx_.lic(104), "%s", ctx_.productName()));
    for (const Caption& c : kLic) v.setCaption(c.control, ctx_.lic(c.id));
    for (const char* control : kMainFontControls) v.setFont(control, ctx_.captionFontSize(), ctx_.charset());
    v.setFont("StatusBar", 0, ctx_.charset());
}

void MainForm::setArmed(bool armed) {
    View& v = view();
    v.setEnabled("cmdLock", !armed);
    v.setEnabled("mnuFileActivate", !armed);
    v.setEnabled("cmdUnlock", armed);
    v.setEnabled("mnuFileDeactivate", armed);
}

void MainForm::setStatus(const std::string& text) { view().setCaption("Label3", text); }
void MainForm::setStatusBar(const std::string& text) { view().setCaption("StatusBar", text); }

void MainForm::load() {
    Globals& g = ctx_.globals();
    applyMainCaptions();
    g.lockResumedAtStartup = false;
    deviceCountSeen_ = 0;
    writeBoxFileIfMissing();
    view().setEnabled("cmdUnlock", false);
    view().setEnabled("mnuFileDeactivate", false);
    setStatus(ctx_.langUser(517));
    OsVersionRecord record;
    if (GetOSVersion(ctx_.services().system, record)) g.osCode = record.osCode;
    // Makes the Task Manager usable again after a lock that ended abnormally.
    if (!IsWin98OrMe(g.osCode)) ctx_.services().lockDown.lockW2kTaskManager(kFeatureOn);
    resumeRecordedLock();
}

void MainForm::writeBoxFileIfMissing() {
    FileSystem& fs = ctx_.services().fs;
    const std::string path = ctx_.programPath("bf.dat");
    if (Exists(fs, path)) return;   // a hidden one counts: it is never rewritten
    if (auto boxes = ctx_.services().programStrings.customResource(1)) fs.write(path, *boxes);
}

void MainForm::resumeRecordedLock() {}

void MainForm::click(const std::string& control) {
    if (control == "cmdCancel" || control == "mnuFileExit") cmdCancelClick();
    else if (control == "Setting2" || control == "lbChangeSetting") openSettings();
}

void MainForm::timer(const std::string&) {}

void MainForm::cmdCancelClick() {
    if (armed() && ctx_.message(ctx_.lang(510), ctx_.lang(303), MbYesNo | MbIconExclamation) == IdNo) return;
    view().close();
}

void MainForm::openSettings() { ctx_.globals().fromLockCommand = 0; }

void MainForm::closeLockDialogs() {
    Globals& g = ctx_.globals();
    auto closeIfOpen = [](std::int16_t flag, Form* form) {
        if (flag && form && form->attached() && form->view().isOpen()) form->view().close();
    };
    closeIfOpen(g.setPasswordDialogOpen, g.setPasswordForm);
    closeIfOpen(g.passwordDialogOpen, g.passwordForm);
    closeIfOpen(g.shutDownDialogOpen, g.shutDownForm);
}

void MainForm::closeRunboard() {
    Desktop& desktop = ctx_.services().desktop;
    if (WindowHandle runboard = desktop.findWindow("", "Runboard"); runboard >= 1) desktop.postClose(runboard);
}

}  // namespace qv

#include "app/main_form.h"

#include "app/lock_record.h"
#include "app/os_version.h"
#include "app/text.h"
#include "help/about_form.h"
#include "help/help_documents.h"
#include "lock/arming.h"
#include "lock/lock_needs.h"
#include "lock/remind_forms.h"
#include "lock/set_timer_form.h"
#include "password/plain_file_guard.h"
#include "password/set_password_command.h"
#include "usbkey/drive_events.h"
#include "usbkey/usb_devices.h"

namespace qv {

namespace {

struct Caption {
    const char* control;
    std::uint32_t id;
};

constexpr Caption kLanguageCaptions[] = {
    {"", 302},           {"lbActiveDescrip", 548}, {"lbDeactiveDescrip", 549}, {"lbChangeSetting", 554},
    {"cmdLock", 111},    {"cmdUnlock", 112},       {"cmdSetPass", 113},        {"cmdCancel", 108},
    {"cmdSetTime", 115}, {"mnuFile", 134},         {"mnuFileActivate", 135},   {"mnuFileDeactivate", 136},
    {"mnuFileExit", 137}, {"mnuSetting", 138},     {"Setting2", 138},
};
constexpr Caption kLicCaptions[] = {{"mnuHelp", 103},       {"mnuHelpOnline", 105}, {"mnuHelpUpdates", 106},
                                    {"mnuHelpComparison", 122}, {"mnuHelpAbout", 107}};
constexpr const char* kFontControls[] = {"lbActiveDescrip", "lbDeactiveDescrip", "Label3",  "lbChangeSetting",
                                         "cmdLock",         "cmdUnlock",         "cmdSetPass", "cmdCancel",
                                         "cmdSetTime"};

}  // namespace

MainForm::~MainForm() {
    if (ctx_.mainWindow() == this) ctx_.setMainWindow(nullptr);
}

void MainForm::applyMainCaptions() {
    View& v = view();
    for (const Caption& c : kLanguageCaptions) v.setCaption(c.control, ctx_.lang(c.id));
    v.setCaption("mnuHelpWhat", ReplaceNoCase(ctx_.lic(104), "%s", ctx_.productName()));
    for (const Caption& c : kLicCaptions) v.setCaption(c.control, ctx_.lic(c.id));
    for (const char* control : kFontControls) v.setFont(control, ctx_.captionFontSize(), ctx_.charset());
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
void MainForm::runSetPasswordCommand() { RunSetPasswordCommand(ctx_); }
void MainForm::writeLockIni() { WriteLockIni(ctx_); }
void MainForm::delLockIni() { DelLockIni(ctx_); }
void MainForm::stopPolling() {
    if (attached()) view().setTimer("Timer1", false, 1000);
}
void MainForm::unloadMainWindow() {
    if (attached()) view().close();
}

void MainForm::load() {
    Globals& g = ctx_.globals();
    ctx_.setMainWindow(this);
    view().centreOnScreen();
    applyMainCaptions();
    g.lockResumedAtStartup = false;
    g.deviceCountSeen = 0;
    writeBoxFileUnlessWhole();
    RemovePlainLeftovers(ctx_);
    view().setEnabled("cmdUnlock", false);
    view().setEnabled("mnuFileDeactivate", false);
    setStatus(ctx_.langUser(517));
    OsVersionRecord record;
    if (GetOSVersion(ctx_.services().system, record)) g.osCode = record.osCode;
    // Makes the Task Manager usable again after a lock that ended abnormally.
    if (!IsWin98OrMe(g.osCode)) ctx_.services().lockDown.lockW2kTaskManager(kFeatureOn);
    resumeRecordedLock();
}

void MainForm::activate() { view().centreOnScreen(); }

void MainForm::unload() {
    view().setTimer("Timer1", false, 1000);
    ReleaseLockNeeds(ctx_);
    if (updateDialog_.attached()) updateDialog_.view().close();
}

void MainForm::writeBoxFileUnlessWhole() {
    FileSystem& fs = ctx_.services().fs;
    const std::string path = ctx_.programPath("bf.dat");
    const std::optional<FileInfo> info = fs.stat(path);
    if (info && (info->attributes & (AttrHidden | AttrDirectory))) return;   // a hidden one is never rewritten
    const std::optional<std::string> boxes = ctx_.services().programStrings.customResource(1);
    if (!boxes || (info && fs.read(path) == boxes)) return;
    // Any other content, a short file above all, would make every enciphered file unreadable.
    if (info && (info->attributes & AttrReadOnly)) fs.setAttributes(path, info->attributes & ~AttrReadOnly);
    fs.write(path, *boxes);
}

void MainForm::resumeRecordedLock() {
    Globals& g = ctx_.globals();
    const LockRecord record = ReadLockRecord(ctx_);
    if (!record.complete) {
        DelLockIni(ctx_);
        return;
    }
    const std::string recordIni = record.folder + "\\" + kRecordIni;
    if (!record.markerOk) {
        ctx_.deleteFileSilent(recordIni);
        DelLockIni(ctx_);
        return;
    }
    g.lockDriveLetter = record.driveLetter;
    g.lockUSBKeyId = record.keyId;
    if (!record.secondCopyInsideFirst) {
        DelLockIni(ctx_);
        return;
    }
    DriveNotifications* notifications = ctx_.driveNotifications();
    if (notifications && notifications->subclassWindow()) notifications->registerDriveNotify();
    setArmed(true);
    if (IsUSBKeyPresent(ctx_, g.lockUSBKeyId)) {
        ctx_.deleteFileSilent(recordIni);
        DelLockIni(ctx_);
        setArmed(false);
        // The request goes with this window, so that the next window's arming can make its own.
        if (notifications) notifications->unregisterDriveNotify();
        view().close();   // the start routine loads the window afresh
        return;
    }
    // An older record in the program folder moves to the PC, where it outlives the stick.
    if (record.folder != LockRecordFolder(ctx_)) {
        WriteLockIni(ctx_);
        RemoveLockRecordFiles(ctx_, record.folder);
    }
    // The program folder is reachable now (the program just started from it); after this the
    // lock needs nothing from it.
    HoldLockNeeds(ctx_);
    g.deviceCountSeen = static_cast<std::int16_t>(g.usbDevices.upperBound());
    if (LockScreenControl* lockScreen = ctx_.lockScreen()) lockScreen->open({});
    view().setTimer("Timer1", true, 1000);
    g.lockResumedAtStartup = true;
}

void MainForm::click(const std::string& control) {
    if (control == "cmdLock" || control == "mnuFileActivate") ArmLock(ctx_);
    else if (control == "cmdUnlock" || control == "mnuFileDeactivate") DisarmLock(ctx_);
    else if (control == "cmdCancel" || control == "mnuFileExit") cmdCancelClick();
    else if (control == "cmdSetPass") runSetPasswordCommand();
    else if (control == "cmdSetTime") ShowSetTimerDialog(ctx_);
    else if (control == "Setting2" || control == "lbChangeSetting") openSettings();
    else if (control == "mnuHelpWhat") mnuHelpWhat(ctx_);
    else if (control == "mnuHelpOnline") mnuHelpOnline(ctx_);
    else if (control == "mnuHelpUpdates") mnuHelpUpdates(ctx_, updateDialog_);
    else if (control == "mnuHelpComparison") mnuHelpComparison(ctx_);
    else if (control == "mnuHelpAbout") mnuHelpAbout(ctx_);
}

void MainForm::timer(const std::string& timer) {
    if (timer == "Timer1") PollForKey(ctx_, view());
}

void MainForm::handleShellNotify(std::int32_t event) { HandleShellNotify(ctx_, event); }

void MainForm::cmdCancelClick() {
    if (armed() && ctx_.message(ctx_.lang(510), ctx_.lang(303), MbYesNo | MbIconExclamation) == IdNo) return;
    view().close();
}

void MainForm::openSettings() {
    ctx_.globals().fromLockCommand = 0;
    ShowRemindDialog(ctx_);
}

void MainForm::closeLockDialogs() { CloseLockDialogs(ctx_); }

void MainForm::closeRunboard() { CloseRunboard(ctx_); }

}  // namespace qv

// The main window: arming state, the commands, the Help menu, the polling timer, and the
// resume of a lock that was in force when the program last stopped.
#pragma once

#include <cstdint>

#include "app/context.h"
#include "help/update_check.h"

namespace qv {

class MainForm : public Form, public MainWindow {
public:
    explicit MainForm(Context& ctx) : ctx_(ctx), updateDialog_(ctx) {}
    ~MainForm() override;
    const char* name() const override { return "frmMain"; }

    void load() override;
    void activate() override;
    void unload() override;
    void click(const std::string& control) override;
    void timer(const std::string& timer) override;
    // Esc asks as Exit does; the title bar's close does not ask.
    void escapePressed() override { cmdCancelClick(); }

    // The shell's drive notification (message 0x401) with its event id.
    void handleShellNotify(std::int32_t event);

    void applyMainCaptions();
    void cmdCancelClick();
    void openSettings();
    void closeLockDialogs();
    void closeRunboard();
    bool armed() const { return view().isEnabled("cmdUnlock"); }

    // MainWindow
    void setStatus(const std::string& text) override;
    void setStatusBar(const std::string& text) override;
    void setArmed(bool armed) override;
    void runSetPasswordCommand() override;
    void writeLockIni() override;
    void delLockIni() override;
    void unloadMainWindow() override;
    void stopPolling() override;

private:
    void writeBoxFileUnlessWhole();
    void resumeRecordedLock();

    Context& ctx_;
    CheckUpdateForm updateDialog_;
};

}  // namespace qv

// The main window: arming state, the commands, the Help menu, and the resume of a lock
// that was in force when the program last stopped.
#pragma once

#include <cstdint>

#include "app/context.h"

namespace qv {

class MainForm : public Form {
public:
    explicit MainForm(Context& ctx) : ctx_(ctx) {}
    const char* name() const override { return "frmMain"; }

    void load() override;
    void click(const std::string& control) override;
    void timer(const std::string& timer) override;

    void applyMainCaptions();
    // Inactive: Lock enabled, Unlock disabled; armed: the other way round.
    void setArmed(bool armed);
    bool armed() const { return view().isEnabled("cmdUnlock"); }
    void cmdCancelClick();
    void openSettings();
    void closeLockDialogs();
    void closeRunboard();
    void setStatus(const std::string& text);   // Label3
    void setStatusBar(const std::string& text);  // first panel of StatusBar

    std::int16_t deviceCountSeen() const { return deviceCountSeen_; }

private:
    void writeBoxFileIfMissing();
    void resumeRecordedLock();

    Context& ctx_;
    std::int16_t deviceCountSeen_ = 0;
};

// Control names of the main window, in the order their captions are applied.
inline constexpr const char* kMainFontControls[] = {"lbActiveDescrip", "lbDeactiveDescrip", "Label3",
                                                    "lbChangeSetting", "cmdLock", "cmdUnlock",
                                                    "cmdSetPass", "cmdCancel", "cmdSetTime"};

}  // namespace qv

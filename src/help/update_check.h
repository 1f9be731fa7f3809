// Help > Check for updates: one POST to the vendor's server, then either the up-to-date
// message or the update dialog with the download link.
#pragma once

#include <string>

#include "app/context.h"

namespace qv {

// "appid=<edition>&version=<major>.<minor>.<revision>".
std::string UpdateRequestBody(const std::string& editionCode, int major, int minor, int revision);

// Sets `status` to the text between the first "<status>" and the first "</status>" when
// that one comes after it; otherwise leaves `status` as it was.
void GetUpdateStatus(const std::string& response, std::string& status);

// frmcheckupdate: names the newer version and links to the download page. Shown modeless.
class CheckUpdateForm : public Form {
public:
    explicit CheckUpdateForm(Context& ctx) : ctx_(ctx) {}
    const char* name() const override { return "frmcheckupdate"; }

    void load() override;
    void unload() override { showing_ = false; }
    void click(const std::string& control) override;

    // The text for lbdesc, put there when the window loads (or at once when it is open).
    void setDescription(const std::string& text);
    bool showing() const { return showing_; }

private:
    void openDownloadPage();

    Context& ctx_;
    std::string description_;
    bool showing_ = false;
};

// The mnuHelpUpdates handler. `dialog` belongs to the main window and outlives the call,
// since the dialog stays open after the handler returns.
void mnuHelpUpdates(Context& ctx, CheckUpdateForm& dialog);

}  // namespace qv

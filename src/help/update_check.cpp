#include "help/update_check.h"

#include "app/text.h"
#include "help/help_documents.h"
#include "help/program_version.h"

namespace qv {

namespace {
constexpr std::uint32_t kLicCaption = 307;
constexpr std::uint32_t kLicUpToDate = 513;
constexpr std::uint32_t kLicNewerVersion = 514;
constexpr std::uint32_t kLicNoAddress = 515;
constexpr std::uint32_t kLangRefusalTitle = 300;
constexpr int kUpdatePort = 80;
}  // namespace

std::string UpdateRequestBody(const std::string& editionCode, int major, int minor, int revision) {
    return "appid=" + editionCode + "&version=" + VersionText(major, minor, revision);
}

void GetUpdateStatus(const std::string& response, std::string& status) {
    if (Trim(response).empty()) return;
    const std::size_t s = InStr(response, "<status>");
    const std::size_t e = InStr(response, "</status>");
    if (s >= 1 && e > s) status = response.substr(s - 1 + 8, e - s - 8);
}

void CheckUpdateForm::load() {
    showing_ = true;
    View& v = view();
    v.setCaption("", ctx_.lic(kLicCaption));
    v.setCaption("lburl", ctx_.services().programStrings.get(kStrDownloadPage));
    v.setCaption("lbdesc", description_);
}

void CheckUpdateForm::setDescription(const std::string& text) {
    description_ = text;
    if (showing_) view().setCaption("lbdesc", text);
}

void CheckUpdateForm::click(const std::string& control) {
    if (control == "cmdOk") view().close();
    else if (control == "lburl") openDownloadPage();
}

void CheckUpdateForm::openDownloadPage() {
    Desktop& desktop = ctx_.services().desktop;
    desktop.setBusyCursor(true);
    const std::string address = view().caption("lburl");
    if (Trim(address).empty()) {
        ctx_.message(ctx_.lic(kLicNoAddress), ctx_.lang(kLangRefusalTitle), MbIconExclamation);
        desktop.setBusyCursor(false);
        return;
    }
    OpenWithShell(ctx_, address);
    desktop.setBusyCursor(false);
    view().close();
}

void mnuHelpUpdates(Context& ctx, CheckUpdateForm& dialog) {
    Services& s = ctx.services();
    s.desktop.setBusyCursor(true);
    const std::string body = UpdateRequestBody(s.programStrings.get(kStrEditionCode), kVersionMajor,
                                               kVersionMinor, kVersionRevision);
    std::string code, text;
    const std::string response = s.http.request(s.programStrings.get(kStrUpdateAddress), body, code, text,
                                                kUpdatePort, "", "");
    std::string status;
    GetUpdateStatus(response, status);
    if (!Trim(response).empty() && StartsWith(code, "2")) {
        const std::string product = s.programStrings.get(kStrProductName);
        if (status != "1") {
            dialog.setDescription(ReplaceNoCase(ctx.lic(kLicNewerVersion), "%s", product));
            // An update dialog already open keeps its window and just takes the new text.
            if (!dialog.showing()) s.forms.showModeless(dialog);
        } else {
            ctx.message(ReplaceNoCase(ctx.lic(kLicUpToDate), "%s", product), "Vantrel", MbIconInformation);
        }
    } else {
        ctx.message("Failure connecting to internet or webserver. HTTP response code: " + code, "Error",
                    MbIconCritical);
    }
    s.desktop.setBusyCursor(false);
}

}  // namespace qv


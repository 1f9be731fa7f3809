#include "help/help_documents.h"

#include "app/text.h"

namespace qv {

namespace {
// Normal, hidden and archive files: a hidden document still counts.
constexpr unsigned kDocumentListingMask = AttrHidden | AttrArchive;
constexpr int kLicMissingDocument = 527;
constexpr int kLicNoAddress = 515;
constexpr int kLangRefusalTitle = 300;
constexpr int kLangErrorTitle = 301;
}  // namespace

void OpenWithShell(Context& ctx, const std::string& target) {
    Services& s = ctx.services();
    // Shown normally: a viewer started hidden would leave the user with nothing on screen.
    std::intptr_t result = s.shell.open(target, "", false);
    s.desktop.sleep(1000);
    if (result <= 32)
        ctx.message("Error: " + s.shell.lastErrorDescription(), ctx.lang(kLangErrorTitle), MbIconCritical);
}

std::string HelpDocumentPath(Context& ctx, const std::string& prefix) {
    return ctx.programPath(prefix + ctx.globals().languageId + ".pdf");
}

void OpenHelpDocument(Context& ctx, const std::string& prefix) {
    Desktop& desktop = ctx.services().desktop;
    desktop.setBusyCursor(true);
    const std::string path = HelpDocumentPath(ctx, prefix);
    if (!ListingFinds(ctx.services().fs, path, kDocumentListingMask)) {
        desktop.setBusyCursor(false);
        ctx.message(ctx.lic(kLicMissingDocument), ctx.lang(kLangRefusalTitle), MbIconExclamation);
        return;
    }
    OpenWithShell(ctx, path);
    desktop.setBusyCursor(false);
}

void mnuHelpComparison(Context& ctx) { OpenHelpDocument(ctx, "feature_"); }

void mnuHelpWhat(Context& ctx) { OpenHelpDocument(ctx, "what_"); }

void mnuHelpOnline(Context& ctx) {
    Desktop& desktop = ctx.services().desktop;
    desktop.setBusyCursor(true);
    const std::string address = ctx.services().programStrings.get(kStrSupportPage);
    if (Trim(address).empty())
        ctx.message(ctx.lic(kLicNoAddress), ctx.lang(kLangRefusalTitle), MbIconExclamation);
    else
        OpenWithShell(ctx, address);
    desktop.setBusyCursor(false);
}

}  // namespace qv

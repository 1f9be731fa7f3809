// The Help menu's documents and support page.
#pragma once

#include <string>

#include "app/context.h"

namespace qv {

// Opens a document or address with the shell, waits a second for the viewer to come up,
// and reports a failed start with the platform's error description.
void OpenWithShell(Context& ctx, const std::string& target);

// program folder + "\" + prefix + LanguageId + ".pdf"; no fallback to another language.
std::string HelpDocumentPath(Context& ctx, const std::string& prefix);
void OpenHelpDocument(Context& ctx, const std::string& prefix);

void mnuHelpComparison(Context& ctx);   // feature_<id>.pdf
void mnuHelpWhat(Context& ctx);         // what_<id>.pdf
void mnuHelpOnline(Context& ctx);       // the support page, program string 1000

}  // namespace qv

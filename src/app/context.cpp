#include "app/context.h"

#include "app/text.h"

namespace qv {

std::string Context::langUser(std::uint32_t id) {
    return ReplaceNoCase(lang(id), "%username", globals_.ownerName);
}

std::string Context::licUser(std::uint32_t id) {
    return ReplaceNoCase(lic(id), "%username", globals_.ownerName);
}

int Context::captionFontSize() const {
    return (globals_.languageId == "0804" || globals_.languageId == "0404") ? 9 : 8;
}

int Context::charset() const {
    int value = 0;
    return ParseInt16(globals_.charsetSetting, value) ? value : 0;
}

bool Context::deleteFileSilent(const std::string& path) {
    std::string p = path;
    if (!p.empty() && p.back() == '\\') p.pop_back();
    return services_.shell.deleteSilent(p);
}

void Context::applyFontRule(View& view, std::initializer_list<const char*> controls) {
    for (const char* control : controls) view.setFont(control, captionFontSize(), charset());
}

}  // namespace qv

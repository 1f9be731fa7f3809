// Setting.ini: language, character set and skin file.
#pragma once

#include <string>

namespace qv {

class Context;

// Creates setting.ini with its six default lines when it is missing; true when it exists afterwards.
bool CreateDefaultSettings(Context& ctx);
std::string GetLanguageId(Context& ctx);
std::string GetCharset(Context& ctx);
std::string SettingsPath(Context& ctx);

}  // namespace qv

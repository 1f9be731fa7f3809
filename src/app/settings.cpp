#include "app/settings.h"

#include "app/context.h"
#include "app/ini_file.h"

namespace qv {

namespace {
constexpr const char* kDefaultSettings =
    "[Setting]\r\n"
    "Language=0409\r\n"
    "Charset=0\r\n"
    "\r\n"
    "[Skin]\r\n"
    "SkinFile = Default.skf\r\n";
}

std::string SettingsPath(Context& ctx) { return ctx.programPath("setting.ini"); }

bool CreateDefaultSettings(Context& ctx) {
    FileSystem& fs = ctx.services().fs;
    const std::string path = SettingsPath(ctx);
    if (!Exists(fs, path)) fs.write(path, kDefaultSettings);
    return Exists(fs, path);
}

std::string GetLanguageId(Context& ctx) {
    return ReadIni(ctx.services().fs, "Setting", "Language", "", SettingsPath(ctx));
}

std::string GetCharset(Context& ctx) {
    return ReadIni(ctx.services().fs, "Setting", "Charset", "0", SettingsPath(ctx));
}

}  // namespace qv

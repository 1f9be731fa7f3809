#include "help/about_form.h"

#include "app/text.h"
#include "help/program_version.h"

namespace qv {

namespace {
constexpr std::size_t kValueBufferSize = 1024;
constexpr std::uint32_t kRegString = 1;
constexpr std::uint32_t kRegNumber = 4;

constexpr const char* kSysInfoKey = "SOFTWARE\\Microsoft\\Shared Tools\\MSINFO";
constexpr const char* kSysInfoValue = "PATH";
constexpr const char* kSysInfoFolderKey = "SOFTWARE\\Microsoft\\Shared Tools Location";
constexpr const char* kSysInfoFolderValue = "MSINFO";
}  // namespace

std::string RegValueText(const RegValue& value) {
    std::string data = value.data;
    if (!data.empty() && data.back() == '\0') data.pop_back();
    if (value.type == kRegString) return data;
    if (value.type != kRegNumber) return {};
    // Two digits a byte, so that a byte below 0x10 does not shift the digits after it.
    static constexpr char kHex[] = "0123456789ABCDEF";
    std::string text = "&h";
    for (auto it = data.rbegin(); it != data.rend(); ++it) {
        const auto byte = static_cast<unsigned char>(*it);
        text += kHex[byte >> 4];
        text += kHex[byte & 0x0F];
    }
    return text;
}

bool GetKeyValue(Registry& registry, RegRoot root, const std::string& key, const std::string& name,
                 std::string& value) {
    value.clear();
    auto raw = registry.query(root, key, name);
    if (!raw || raw->data.size() > kValueBufferSize) return false;
    value = RegValueText(*raw);
    return true;
}

namespace {

// The tool's command line: its full path, quoted, since an unquoted path with spaces would let
// "C:\Program.exe" start instead. Empty for a path that is not a full one.
std::string SysInfoCommand(std::string path) {
    if (path.size() >= 2 && path.front() == '"' && path.back() == '"') path = path.substr(1, path.size() - 2);
    const bool drive = path.size() > 3 && path[1] == ':' && path[2] == '\\';
    const bool share = path.rfind("\\\\", 0) == 0 && path.size() > 2;
    if ((!drive && !share) || path.find('"') != std::string::npos) return {};
    return '"' + path + '"';
}

}  // namespace

void StartSysInfo(Context& ctx) {
    Services& s = ctx.services();
    std::string path;
    if (!GetKeyValue(s.registry, RegRoot::LocalMachine, kSysInfoKey, kSysInfoValue, path)) {
        std::string folder;
        path.clear();
        if (GetKeyValue(s.registry, RegRoot::LocalMachine, kSysInfoFolderKey, kSysInfoFolderValue, folder)) {
            const std::string tool = folder + "\\MSINFO32.EXE";
            auto info = s.fs.stat(tool);
            if (info && !info->isDirectory()) path = tool;
        }
    }
    const std::string command = SysInfoCommand(path);
    if (!command.empty() && s.shell.run(command)) return;
    ctx.message("System Information Is Unavailable At This Time", kAppTitle, MbOk);
}

void AboutForm::load() {
    View& v = view();
    v.setCaption("", ReplaceNoCase(ctx_.lic(303), "%s", ctx_.productName()));
    v.setCaption("lblTitle", kAppTitle);
    v.setCaption("lblVersion", "Version " + VersionText());
    v.setCaption("lblDisclaimer", ctx_.lic(500));
    v.setCaption("cmdOK", ctx_.lic(100));
    v.setCaption("cmdSysInfo", ctx_.lic(112));
    ctx_.applyFontRule(v, {"lblVersion", "lblDisclaimer", "cmdOK", "cmdSysInfo"});
}

void AboutForm::click(const std::string& control) {
    if (control == "cmdOK") view().close();
    else if (control == "cmdSysInfo") StartSysInfo(ctx_);
}

void mnuHelpAbout(Context& ctx) {
    AboutForm about(ctx);
    ctx.services().forms.showModal(about);
}

}  // namespace qv

#include "app/startup.h"

#include <exception>

#include "app/ini_file.h"
#include "app/settings.h"

namespace qv {

namespace {

StartupResult Fail(Context& ctx, const char* text) {
    ctx.message(text, "Error", MbOk | MbIconCritical);
    return StartupResult::Ended;
}

std::string ProgramFolderOf(const std::string& exePath) {
    std::size_t slash = exePath.find_last_of('\\');
    return slash == std::string::npos ? std::string(".") : exePath.substr(0, slash);
}

std::string ExeNameOf(const std::string& exePath) {
    std::size_t slash = exePath.find_last_of('\\');
    std::string name = slash == std::string::npos ? exePath : exePath.substr(slash + 1);
    std::size_t dot = name.find_last_of('.');
    return dot == std::string::npos ? name : name.substr(0, dot);
}

}  // namespace

StartupResult RunMain(Context& ctx, StartupWindows& windows) {
    Services& s = ctx.services();
    Globals& g = ctx.globals();
    try {
        const std::string exe = s.system.executablePath();
        g.programFolder = ProgramFolderOf(exe);
        g.exeName = ExeNameOf(exe);

        if (!s.system.claimSingleInstance()) return Fail(ctx, kMsgAlreadyRunning);

        if (WindowHandle taskManager = s.desktop.findWindow("", "Windows Task Manager"))
            s.desktop.postClose(taskManager);

        CreateDefaultSettings(ctx);
        g.languageId = GetLanguageId(ctx);
        g.charsetSetting = GetCharset(ctx);
        if (g.languageId.empty()) return Fail(ctx, kMsgNoLanguageId);
        if (!ListingFinds(s.fs, ctx.programPath("langfile" + g.languageId + ".dll"),
                          AttrHidden | AttrReadOnly | AttrArchive))
            return Fail(ctx, kMsgNoLanguageFile);
        if (g.charsetSetting.empty()) return Fail(ctx, kMsgNoCharset);

        ctx.strings().loadLicLibrary();
        ctx.strings().loadLanguageLibrary();
        g.ownerName = ReadIni(s.fs, "OwnerInfo", "Name", "User", ctx.programPath("OwnerLock.ini"));

        windows.showProgress();
        // A main window whose load unloaded it (a resumed lock whose key is already back)
        // is loaded afresh, and then finds no record.
        if (!windows.showMain() && !windows.showMain()) return StartupResult::Ended;
        return StartupResult::MainWindowShown;
    } catch (const std::exception&) {
        ctx.strings().freeLicLibrary();
        ctx.strings().freeLanguageLibrary();
        return StartupResult::Ended;
    }
}

}  // namespace qv

#include "app/string_library.h"

#include "app/context.h"

namespace qv {

namespace {
constexpr int kFetchLimit = 383;   // characters asked for, the terminating NUL included
}

std::string StringLibraries::languageCopyPath() const {
    return std::string(kTempFolder) + "qv_langfile" + globals_.languageId + ".dll";
}

std::string StringLibraries::licCopyPath() const {
    return std::string("C:\\Vantrel\\Temp\\qvlic_") + globals_.languageId + ".dll";
}

bool StringLibraries::prepareCopy(const std::string& source, const std::string& copy, bool stopOnFailure) {
    FileSystem& fs = services_.fs;
    for (const char* folder : {kBaseFolder, kTempFolder}) {
        if (!Exists(fs, folder) && !fs.makeDirectory(folder) && stopOnFailure) return false;
    }
    if (Exists(fs, copy) && !fs.remove(copy) && stopOnFailure) return false;
    // Whatever failed before, the copy counts only when it was made now.
    return fs.copy(source, copy);
}

void StringLibraries::loadLanguageLibrary() {
    const std::string copy = languageCopyPath();
    if (!prepareCopy(globals_.programFolder + "\\langfile" + globals_.languageId + ".dll", copy, true)) return;
    languageHandle_ = services_.stringLoader.load(copy);
}

void StringLibraries::loadLicLibrary() {
    const std::string copy = licCopyPath();
    // Anyone may write to the temporary folder: a copy that is not freshly ours is never
    // loaded, and the texts stay empty as for a missing library.
    if (!prepareCopy(globals_.programFolder + "\\lic" + globals_.languageId + ".dll", copy, false)) return;
    licHandle_ = services_.stringLoader.load(copy);
}

void StringLibraries::freeLanguageLibrary() {
    if (!services_.stringLoader.free(languageHandle_)) return;
    languageHandle_ = 0;
    const std::string copy = languageCopyPath();
    if (Exists(services_.fs, copy)) services_.fs.remove(copy);
}

void StringLibraries::freeLicLibrary() {
    services_.stringLoader.free(licHandle_);
    licHandle_ = 0;
    const std::string copy = licCopyPath();
    if (Exists(services_.fs, copy)) services_.fs.remove(copy);
}

std::string StringLibraries::fetch(StringLibraryLoader::Handle handle, std::uint32_t id) {
    if (handle == 0) return {};
    auto text = services_.stringLoader.loadString(handle, id, kFetchLimit);
    if (!text) return {};
    // Everything before the first NUL, at most 382 bytes.
    std::string result = text->substr(0, text->find('\0'));
    if (result.size() > kFetchLimit - 1) result.resize(kFetchLimit - 1);
    return result;
}

}  // namespace qv

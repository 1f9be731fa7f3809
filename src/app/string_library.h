// The two language string libraries: copied to a fixed temporary folder, loaded from the
// copy, and asked for texts by number.
#pragma once

#include <cstdint>
#include <string>

#include "app/services.h"

namespace qv {

struct Services;
struct Globals;

class StringLibraries {
public:
    StringLibraries(Services& services, Globals& globals) : services_(services), globals_(globals) {}

    // The copy paths, fixed on drive C.
    static constexpr const char* kBaseFolder = "C:\\Vantrel\\";
    static constexpr const char* kTempFolder = "C:\\Vantrel\\temp\\";
    std::string languageCopyPath() const;
    std::string licCopyPath() const;

    // Stops at the first failing step, leaving the handle 0.
    void loadLanguageLibrary();
    // Goes on past a failing folder step; loads only a copy made now.
    void loadLicLibrary();
    void freeLanguageLibrary();
    void freeLicLibrary();

    // At most 382 bytes; empty for a missing id or an unloaded library.
    std::string language(std::uint32_t id) { return fetch(languageHandle_, id); }
    std::string lic(std::uint32_t id) { return fetch(licHandle_, id); }

    StringLibraryLoader::Handle languageHandle() const { return languageHandle_; }
    StringLibraryLoader::Handle licHandle() const { return licHandle_; }

private:
    std::string fetch(StringLibraryLoader::Handle handle, std::uint32_t id);
    // True when the copy was made now from the source.
    bool prepareCopy(const std::string& source, const std::string& copy, bool stopOnFailure);

    Services& services_;
    Globals& globals_;
    StringLibraryLoader::Handle languageHandle_ = 0;
    StringLibraryLoader::Handle licHandle_ = 0;
};

}  // namespace qv

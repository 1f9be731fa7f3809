// The program's own string table, apart from the language libraries.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace qv {

enum : std::uint32_t {
    kStrEditionCode = 997,   // "LE"
    kStrProductName = 998,   // "Quorvel Lite"
    kStrSupportPage = 1000,
    kStrUpdateAddress = 1001,
    kStrDownloadPage = 1005,
};

class ProgramStrings {
public:
    virtual ~ProgramStrings() = default;
    virtual std::string get(std::uint32_t id) = 0;
    // The program's resource of type "CUSTOM" with the given id; nothing when absent.
    virtual std::optional<std::string> customResource(int id) = 0;
};

// The default title of message boxes: the program's title.
inline constexpr const char* kAppTitle = "Quorvel";

}  // namespace qv

// The running Windows version as the program's OS code.
#pragma once

#include <cstdint>

#include "app/services.h"

namespace qv {

// 3 and 4 are Windows 98 and Me, -1 the XP family; other Parts key behaviour on these.
constexpr std::int16_t kOsWin98 = 3;
constexpr std::int16_t kOsWinMe = 4;
constexpr std::int16_t kOsXpFamily = -1;

struct OsVersionRecord {
    std::int16_t osCode = 0;
    std::uint32_t majorVersion = 0;
    std::uint32_t minorVersion = 0;
};

// Fills the record from the platform's version; always true. A code the table does not
// give leaves the record's code unchanged.
bool GetOSVersion(SystemInfo& system, OsVersionRecord& record);
inline bool IsWin98OrMe(std::int16_t osCode) { return osCode == kOsWin98 || osCode == kOsWinMe; }

}  // namespace qv

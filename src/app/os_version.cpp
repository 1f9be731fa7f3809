#include "app/os_version.h"

namespace qv {

namespace {
constexpr std::uint32_t kPlatformNt = 2;
}

bool GetOSVersion(SystemInfo& system, OsVersionRecord& record) {
    const OsVersionInfo v = system.version();
    record.majorVersion = v.major;
    record.minorVersion = v.minor;
    switch (v.major) {
    case 3:
        record.osCode = v.platformId == kPlatformNt ? 5 : 6;
        break;
    case 4:
        if (v.platformId == kPlatformNt) record.osCode = 1;
        else if (v.minor == 0) record.osCode = 2;
        else if (v.minor == 10) record.osCode = kOsWin98;
        else if (v.minor == 90) record.osCode = kOsWinMe;
        break;
    case 5:
        record.osCode = v.minor == 0 ? 0 : kOsXpFamily;
        break;
    default:
        record.osCode = 7;
        break;
    }
    return true;
}

}  // namespace qv

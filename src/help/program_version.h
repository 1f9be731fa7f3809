// The program's version, set by the build from the project version.
#pragma once

#include <string>

#ifndef QV_VERSION_MAJOR
#error "QV_VERSION_MAJOR, QV_VERSION_MINOR and QV_VERSION_REVISION come from the build"
#endif

namespace qv {

inline constexpr int kVersionMajor = QV_VERSION_MAJOR;
inline constexpr int kVersionMinor = QV_VERSION_MINOR;
inline constexpr int kVersionRevision = QV_VERSION_REVISION;

// "1.0.3": decimal numbers without leading zeros.
inline std::string VersionText(int major = kVersionMajor, int minor = kVersionMinor,
                               int revision = kVersionRevision) {
    return std::to_string(major) + "." + std::to_string(minor) + "." + std::to_string(revision);
}

}  // namespace qv

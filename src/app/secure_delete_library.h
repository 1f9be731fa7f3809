// The secure-delete library: overwrites a file before deleting it.
#pragma once

#include <cstdint>
#include <string>

namespace qv {

class SecureDeleteLibrary {
public:
    virtual ~SecureDeleteLibrary() = default;
    // SDelete's result; 0 when the library is missing.
    virtual std::int16_t sDelete(const std::string& path) = 0;
};

}  // namespace qv

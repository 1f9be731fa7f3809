// What every fuzz target shares: the program's fakes (the same as the unit tests use) with
// the cipher's box file, and a way to cut one input into several texts.
#pragma once

#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "lock_timer_world.h"

namespace qv::fuzz {

// The input as text, cut into `parts` pieces at the byte 0x00 (missing pieces are empty).
inline std::vector<std::string> Pieces(const std::uint8_t* data, std::size_t size, std::size_t parts) {
    std::vector<std::string> out(1);
    for (std::size_t i = 0; i < size; ++i) {
        if (data[i] == 0 && out.size() < parts) out.emplace_back();
        else out.back() += static_cast<char>(data[i]);
    }
    out.resize(parts);
    return out;
}

// A property that must hold; a violation is a crash the fuzzer keeps.
inline void Require(bool holds) {
    if (!holds) std::abort();
}

}  // namespace qv::fuzz

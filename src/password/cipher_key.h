// The key under which the program's enciphered files (pass.st, tmhr.tmp) are stored.
#pragma once

namespace qv {

inline constexpr const char* kCipherKey = "k7#Qz.4&mv9)(8rpX!";

}  // namespace qv

// The cipher's box file bf.dat, built from the table of initial words in
// blowfish_initial_boxes.txt (the one place those words are kept).
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace qv {

inline constexpr std::size_t kBoxWords = 18 + 4 * 256;
inline constexpr std::size_t kBoxFileSize = kBoxWords * 4;   // 4,168 bytes

// The table text (hexadecimal words separated by white space, "#" starts a comment) as
// the box file's bytes: every word little-endian, in table order. Throws BlowfishError when
// the table does not hold exactly kBoxWords words of eight hex digits.
std::string BuildBoxFile(std::string_view tableText);

}  // namespace qv

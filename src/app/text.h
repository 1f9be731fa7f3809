// Text helpers shared by every window.
#pragma once

#include <string>
#include <string_view>

namespace qv {

// Leading and trailing spaces removed (only the space character, as the program's own trim does).
std::string Trim(std::string_view text);
// True when the trimmed text holds only "0" to "9"; the empty text gives true.
bool IsAllDigits(std::string_view text);
// Every occurrence of `placeholder` replaced by `value`, ignoring the case of ASCII letters.
std::string ReplaceNoCase(std::string_view text, std::string_view placeholder, std::string_view value);
std::string ToUpperAscii(std::string_view text);
std::string ToLowerAscii(std::string_view text);
bool StartsWith(std::string_view text, std::string_view prefix);
// 1-based position of `needle` in `text` at or after `from` (1-based), 0 when absent, like InStr.
std::size_t InStr(std::string_view text, std::string_view needle, std::size_t from = 1);
// Parses a trimmed decimal text into a 16-bit signed value; false when it is not one.
bool ParseInt16(std::string_view text, int& value);

}  // namespace qv

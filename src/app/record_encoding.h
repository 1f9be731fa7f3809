// The two small text encodings that keep the lock-state record from being edited by hand.
// Characters are taken by their ANSI code (one byte, 0 to 255).
#pragma once

#include <string>
#include <string_view>

namespace qv {

// Per character: the number of digits of its code, then the code ("E" -> "269").
std::string EncodeDigitText(std::string_view text);
// Inverse of EncodeDigitText. Damaged text ends decoding where the damage starts; what was
// decoded up to there is returned.
std::string DecodeDigitText(std::string_view text);

// Reversed text as offsets from a random start value: "s;" then (code - (s + j)) ";" for
// the j-th character. Each call picks k from 25 to 99 at random.
std::string EncodeOffsetText(std::string_view text);
// The same with a given k (25 to 99); s is k/2 rounded half to even.
std::string EncodeOffsetText(std::string_view text, int k);
// Inverse of EncodeOffsetText. Damaged text ends decoding where the damage starts; the
// characters decoded up to there are returned (in the original order).
std::string DecodeOffsetText(std::string_view text);

std::string ReverseText(std::string_view text);

}  // namespace qv

#include "app/record_encoding.h"

#include <cstdint>
#include <optional>
#include <random>

namespace qv {

namespace {

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

unsigned CodeOf(char c) { return static_cast<unsigned char>(c); }

// A signed decimal with at most nine digits; anything else (empty, stray characters,
// larger numbers) is not one.
std::optional<std::int64_t> ParseSigned(std::string_view piece) {
    bool negative = !piece.empty() && piece.front() == '-';
    if (negative) piece.remove_prefix(1);
    if (piece.empty() || piece.size() > 9) return std::nullopt;
    std::int64_t value = 0;
    for (char c : piece) {
        if (!IsDigit(c)) return std::nullopt;
        value = value * 10 + (c - '0');
    }
    return negative ? -value : value;
}

// k/2 rounded to the nearest whole number, halves to the even one.
int HalfToEven(int k) {
    int half = k / 2;
    if (k % 2 != 0 && half % 2 != 0) ++half;
    return half;
}

int RandomK() {
    static std::mt19937 engine{std::random_device{}()};
    return std::uniform_int_distribution<int>{25, 99}(engine);
}

}  // namespace

std::string EncodeDigitText(std::string_view text) {
    std::string out;
    for (char c : text) {
        std::string code = std::to_string(CodeOf(c));
        out += std::to_string(code.size());
        out += code;
    }
    return out;
}

std::string DecodeDigitText(std::string_view text) {
    std::string out;
    while (!text.empty()) {
        char count = text.front();
        if (!IsDigit(count) || count == '0') break;
        std::size_t n = static_cast<std::size_t>(count - '0');
        if (text.size() - 1 < n) break;
        std::string_view digits = text.substr(1, n);
        std::optional<std::int64_t> code = ParseSigned(digits);
        if (!code || digits.front() == '-' || *code > 255) break;
        out += static_cast<char>(static_cast<unsigned char>(*code));
        text.remove_prefix(1 + n);
    }
    return out;
}

std::string EncodeOffsetText(std::string_view text) { return EncodeOffsetText(text, RandomK()); }

std::string EncodeOffsetText(std::string_view text, int k) {
    const std::string reversed = ReverseText(text);
    const int s = HalfToEven(k);
    std::string out = std::to_string(s) + ";";
    for (std::size_t j = 0; j < reversed.size(); ++j) {
        long long value = static_cast<long long>(CodeOf(reversed[j])) - (s + static_cast<long long>(j));
        out += std::to_string(value) + ";";
    }
    return out;
}

std::string DecodeOffsetText(std::string_view text) {
    std::string out;
    auto next = [&text]() -> std::optional<std::int64_t> {
        std::size_t semi = text.find(';');
        if (semi == std::string_view::npos) return std::nullopt;
        std::optional<std::int64_t> value = ParseSigned(text.substr(0, semi));
        text.remove_prefix(semi + 1);
        return value;
    };
    std::optional<std::int64_t> s = next();
    if (!s) return out;
    std::int64_t offset = *s;
    while (!text.empty()) {
        std::optional<std::int64_t> v = next();
        if (!v) break;
        std::int64_t code = *v + offset;
        if (code < 0 || code > 255) break;
        out += static_cast<char>(static_cast<unsigned char>(code));
        ++offset;
    }
    return ReverseText(out);
}

std::string ReverseText(std::string_view text) { return std::string(text.rbegin(), text.rend()); }

}  // namespace qv

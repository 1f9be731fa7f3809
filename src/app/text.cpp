#include "app/text.h"

#include <cctype>

namespace qv {

std::string Trim(std::string_view text) {
    std::size_t begin = text.find_first_not_of(' ');
    if (begin == std::string_view::npos) return {};
    std::size_t end = text.find_last_not_of(' ');
    return std::string(text.substr(begin, end - begin + 1));
}

bool IsAllDigits(std::string_view text) {
    for (char c : Trim(text)) {
        if (c < '0' || c > '9') return false;
    }
    return true;
}

static char LowerAscii(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }
static char UpperAscii(char c) { return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c; }

std::string ToUpperAscii(std::string_view text) {
    std::string out(text);
    for (char& c : out) c = UpperAscii(c);
    return out;
}

std::string ToLowerAscii(std::string_view text) {
    std::string out(text);
    for (char& c : out) c = LowerAscii(c);
    return out;
}

std::string ReplaceNoCase(std::string_view text, std::string_view placeholder, std::string_view value) {
    if (placeholder.empty()) return std::string(text);
    const std::string lowerText = ToLowerAscii(text);
    const std::string lowerPlaceholder = ToLowerAscii(placeholder);
    std::string out;
    std::size_t pos = 0;
    while (true) {
        std::size_t hit = lowerText.find(lowerPlaceholder, pos);
        if (hit == std::string::npos) break;
        out.append(text.substr(pos, hit - pos));
        out.append(value);
        pos = hit + placeholder.size();
    }
    out.append(text.substr(pos));
    return out;
}

bool StartsWith(std::string_view text, std::string_view prefix) {
    return text.substr(0, prefix.size()) == prefix;
}

std::size_t InStr(std::string_view text, std::string_view needle, std::size_t from) {
    if (from < 1) from = 1;
    if (from - 1 > text.size()) return 0;
    std::size_t hit = text.find(needle, from - 1);
    return hit == std::string_view::npos ? 0 : hit + 1;
}

bool ParseInt16(std::string_view text, int& value) {
    std::string t = Trim(text);
    if (t.empty() || t.size() > 6) return false;
    bool negative = t[0] == '-';
    std::size_t i = negative ? 1 : 0;
    if (i == t.size()) return false;
    long v = 0;
    for (; i < t.size(); ++i) {
        if (t[i] < '0' || t[i] > '9') return false;
        v = v * 10 + (t[i] - '0');
    }
    if (negative) v = -v;
    if (v < -32768 || v > 32767) return false;
    value = static_cast<int>(v);
    return true;
}

}  // namespace qv

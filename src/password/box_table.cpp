#include "password/box_table.h"

#include <cstdint>

#include "password/blowfish_error.h"

namespace qv {

namespace {

int HexValue(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    return -1;
}

bool IsSpace(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }

[[noreturn]] void Malformed(const std::string& why) {
    throw BlowfishError(kBfErrBoxTable, "Box table is malformed: " + why);
}

}  // namespace

std::string BuildBoxFile(std::string_view text) {
    std::string out;
    out.reserve(kBoxFileSize);
    std::size_t pos = 0;
    while (pos < text.size()) {
        char c = text[pos];
        if (c == '#') {
            while (pos < text.size() && text[pos] != '\n') ++pos;
            continue;
        }
        if (IsSpace(c)) {
            ++pos;
            continue;
        }
        std::size_t end = pos;
        while (end < text.size() && !IsSpace(text[end]) && text[end] != '#') ++end;
        std::string_view token = text.substr(pos, end - pos);
        if (token.size() != 8) Malformed("word \"" + std::string(token) + "\"");
        std::uint32_t word = 0;
        for (char h : token) {
            int v = HexValue(h);
            if (v < 0) Malformed("word \"" + std::string(token) + "\"");
            word = (word << 4) | static_cast<std::uint32_t>(v);
        }
        if (out.size() == kBoxFileSize) Malformed("more than " + std::to_string(kBoxWords) + " words");
        for (int shift = 0; shift < 32; shift += 8) out.push_back(static_cast<char>((word >> shift) & 0xFF));
        pos = end;
    }
    if (out.size() != kBoxFileSize) Malformed(std::to_string(out.size() / 4) + " words");
    return out;
}

}  // namespace qv

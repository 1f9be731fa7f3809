#include "password/blowfish_core.h"


namespace qv {

namespace {

std::uint32_t WordLE(std::string_view bytes, std::size_t index) {
    std::uint32_t w = 0;
    for (int i = 3; i >= 0; --i) w = (w << 8) | static_cast<unsigned char>(bytes[index * 4 + static_cast<std::size_t>(i)]);
    return w;
}

}  // namespace

void BlowfishCore::loadBoxes(std::string_view boxFile) {
    for (std::size_t i = 0; i < 18; ++i) p_[i] = WordLE(boxFile, i);
    for (std::size_t q = 0; q < 1024; ++q) s_[q % 4][q / 4] = WordLE(boxFile, 18 + q);
}

std::uint32_t BlowfishCore::f(std::uint32_t x) const {
    return ((s_[0][x >> 24] + s_[1][(x >> 16) & 0xFF]) ^ s_[2][(x >> 8) & 0xFF]) + s_[3][x & 0xFF];
}

void BlowfishCore::encryptBlock(std::uint32_t& left, std::uint32_t& right) const {
    std::uint32_t l = left ^ p_[0], r = right;
    for (std::size_t i = 1; i < 17; i += 2) {
        r ^= p_[i] ^ f(l);
        l ^= p_[i + 1] ^ f(r);
    }
    left = r ^ p_[17];
    right = l;
}

void BlowfishCore::decryptBlock(std::uint32_t& left, std::uint32_t& right) const {
    std::uint32_t l = left ^ p_[17], r = right;
    for (std::size_t i = 16; i > 0; i -= 2) {
        r ^= p_[i] ^ f(l);
        l ^= p_[i - 1] ^ f(r);
    }
    left = r ^ p_[0];
    right = l;
}

void BlowfishCore::mixKey(std::string_view key) {
    const std::size_t n = key.size();
    std::size_t j = 0;
    for (std::uint32_t& word : p_) {
        std::uint32_t w = 0;
        for (std::size_t b = 0; b < 4; ++b) w = (w << 8) | static_cast<unsigned char>(key[(j + b) % n]);
        word ^= w;
        j = (j + 4) % n;
    }
    std::uint32_t l = 0, r = 0;
    for (std::size_t i = 0; i < 18; i += 2) {
        encryptBlock(l, r);
        p_[i] = l;
        p_[i + 1] = r;
    }
    for (auto& box : s_) {
        for (std::size_t m = 0; m < 256; m += 2) {
            encryptBlock(l, r);
            box[m] = l;
            box[m + 1] = r;
        }
    }
}

}  // namespace qv

// The Blowfish rounds and key schedule over boxes taken from box-file bytes.
#pragma once

#include <array>
#include <cstdint>
#include <string_view>

namespace qv {

class BlowfishCore {
public:
    // P and S from the first 4,168 bytes of `boxFile` (the caller checks the size). The 1,024
    // S words are interleaved, as every stored file has them: word q is S(q mod 4 + 1, q div 4).
    void loadBoxes(std::string_view boxFile);
    // Mixes a non-empty key into the loaded boxes (the key schedule).
    void mixKey(std::string_view key);
    void encryptBlock(std::uint32_t& left, std::uint32_t& right) const;
    void decryptBlock(std::uint32_t& left, std::uint32_t& right) const;

    const std::array<std::uint32_t, 18>& p() const { return p_; }
    const std::array<std::array<std::uint32_t, 256>, 4>& s() const { return s_; }

private:
    std::uint32_t f(std::uint32_t x) const;

    std::array<std::uint32_t, 18> p_{};
    std::array<std::array<std::uint32_t, 256>, 4> s_{};
};

}  // namespace qv

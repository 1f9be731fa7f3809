// The Blowfish rounds and key schedule over boxes taken from box-file bytes.
#pragma once

#include <array>
#include <cstdint>
#include <string_view>

namespace qv {

// How the 1,024 S words of the box file fill the four S-boxes.
enum class BoxOrder {
    // Word q goes to S(q mod 4 + 1, q div 4): the arrangement every stored file uses.
    Interleaved,
    // Word q goes to S(q div 256 + 1, q mod 256): textbook Blowfish, for checking the
    // constants and rounds against other implementations.
    Published,
};

class BlowfishCore {
public:
    // P and S from the first 4,168 bytes of `boxFile` (the caller checks the size).
    void loadBoxes(std::string_view boxFile, BoxOrder order);
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

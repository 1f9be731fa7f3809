// The file cipher: Blowfish over boxes read from bf.dat in the program folder at every
// key set-up, enciphering byte arrays block by block and whole files into other files.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "app/services.h"
#include "password/blowfish_core.h"
#include "password/blowfish_error.h"

namespace qv {

class clsBlowfish {
public:
    clsBlowfish(FileSystem& fs, std::string programFolder);

    // Loads the boxes from bf.dat and runs the key schedule. On failure the object keeps
    // its previous boxes and state.
    void sInitBF(const std::string& strKey);
    // Every whole 8-byte block of the input into the same positions of the output; a
    // trailing partial block is neither processed nor copied. A too short output is grown.
    void sEncrypt(const std::vector<std::uint8_t>& bytToEncrypt, std::vector<std::uint8_t>& bytEncrypted) const;
    void sDecrypt(const std::vector<std::uint8_t>& bytToDecrypt, std::vector<std::uint8_t>& bytUnencrypted) const;
    // Enciphered file: plain length (signed 32-bit, little-endian), then the plain bytes
    // padded with zeros to whole blocks and enciphered. The target is replaced only once
    // the new content is completely written.
    void sFileEncrypt(const std::string& strFileSrc, const std::string& strFileTrg);
    // A missing source is not an error: nothing is written. The target is written in place.
    void sFileDecrypt(const std::string& strFileSrc, const std::string& strFileTrg);

private:
    void requireInitialised() const;
    void crypt(const std::vector<std::uint8_t>& in, std::vector<std::uint8_t>& out, bool encrypt) const;
    std::string readWhole(const std::string& path) const;
    void writeReplacing(const std::string& target, const std::string& data);

    FileSystem& fs_;
    std::string folder_;
    bool initialised_ = false;
    BlowfishCore core_;
};

}  // namespace qv

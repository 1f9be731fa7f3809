#include "password/blowfish.h"

#include <limits>

#include "password/box_table.h"

namespace qv {

namespace {

std::uint32_t LoadBE(const std::uint8_t* b) {
    return (std::uint32_t{b[0]} << 24) | (std::uint32_t{b[1]} << 16) | (std::uint32_t{b[2]} << 8) | b[3];
}

void StoreBE(std::uint32_t w, std::uint8_t* b) {
    b[0] = static_cast<std::uint8_t>(w >> 24);
    b[1] = static_cast<std::uint8_t>(w >> 16);
    b[2] = static_cast<std::uint8_t>(w >> 8);
    b[3] = static_cast<std::uint8_t>(w);
}

[[noreturn]] void Damaged() { throw BlowfishError(kBfErrFileDamaged, "Enciphered file is damaged"); }
[[noreturn]] void AccessError() { throw BlowfishError(kBfErrFileAccess, "Path/File access error"); }

}  // namespace

clsBlowfish::clsBlowfish(FileSystem& fs, std::string programFolder) : fs_(fs), folder_(std::move(programFolder)) {}

void clsBlowfish::sInitBF(const std::string& strKey) {
    std::string path = folder_;
    if (path.empty() || path.back() != '\\') path += '\\';
    path += "bf.dat";
    // Ordinary files only: a hidden bf.dat is not found.
    if (!ListingFinds(fs_, path, 0)) throw BlowfishError(kBfErrBoxFileNotFound, "bf.dat not found");
    if (strKey.empty()) throw BlowfishError(kBfErrEmptyKey, "Key is empty");
    std::string boxes = readWhole(path);
    if (boxes.size() < kBoxFileSize) throw BlowfishError(kBfErrBoxFileDamaged, "bf.dat is damaged");
    BlowfishCore fresh;
    fresh.loadBoxes(boxes);
    fresh.mixKey(strKey);
    core_ = fresh;
    initialised_ = true;
}

void clsBlowfish::requireInitialised() const {
    if (!initialised_) throw BlowfishError(kBfErrNotInitialised, "Call sInitBF before calling this sub");
}

void clsBlowfish::crypt(const std::vector<std::uint8_t>& in, std::vector<std::uint8_t>& out, bool encrypt) const {
    requireInitialised();
    const std::size_t whole = in.size() / 8 * 8;
    if (out.size() < whole) out.resize(whole);
    for (std::size_t at = 0; at < whole; at += 8) {
        std::uint32_t l = LoadBE(&in[at]), r = LoadBE(&in[at + 4]);
        if (encrypt) core_.encryptBlock(l, r);
        else core_.decryptBlock(l, r);
        StoreBE(l, &out[at]);
        StoreBE(r, &out[at + 4]);
    }
}

void clsBlowfish::sEncrypt(const std::vector<std::uint8_t>& bytToEncrypt, std::vector<std::uint8_t>& bytEncrypted) const {
    crypt(bytToEncrypt, bytEncrypted, true);
}

void clsBlowfish::sDecrypt(const std::vector<std::uint8_t>& bytToDecrypt,
                           std::vector<std::uint8_t>& bytUnencrypted) const {
    crypt(bytToDecrypt, bytUnencrypted, false);
}

std::string clsBlowfish::readWhole(const std::string& path) const {
    auto data = fs_.read(path);
    if (!data) AccessError();
    return std::move(*data);
}

void clsBlowfish::writeReplacing(const std::string& target, const std::string& data) {
    // Written beside the target first, so a failed write never costs the old file.
    const std::string temp = target + ".new";
    if (!fs_.write(temp, data)) {
        fs_.remove(temp);
        AccessError();
    }
    // A read-only target would refuse the replace; the new file takes its place all the same.
    const std::optional<FileInfo> old = fs_.stat(target);
    const bool readOnly = old && !old->isDirectory() && (old->attributes & AttrReadOnly);
    if (readOnly) fs_.setAttributes(target, old->attributes & ~AttrReadOnly);
    if (!fs_.replace(temp, target)) {
        if (readOnly) fs_.setAttributes(target, old->attributes);
        fs_.remove(temp);
        AccessError();
    }
}

void clsBlowfish::sFileEncrypt(const std::string& strFileSrc, const std::string& strFileTrg) {
    requireInitialised();
    if (!Exists(fs_, strFileSrc)) throw BlowfishError(kBfErrSourceNotFound, "Source file is not found");
    std::string plainText = readWhole(strFileSrc);
    const std::size_t length = plainText.size();
    if (length == 0 || length > static_cast<std::size_t>(std::numeric_limits<std::int32_t>::max()))
        throw BlowfishError(kBfErrSourceSize, "Source file is empty or too large");

    std::vector<std::uint8_t> plain(plainText.begin(), plainText.end());
    plain.resize((length + 7) / 8 * 8, 0);
    std::vector<std::uint8_t> cipher(plain.size());
    sEncrypt(plain, cipher);

    std::string out(4 + cipher.size(), '\0');
    for (int i = 0; i < 4; ++i) out[static_cast<std::size_t>(i)] = static_cast<char>((length >> (8 * i)) & 0xFF);
    std::copy(cipher.begin(), cipher.end(), out.begin() + 4);
    writeReplacing(strFileTrg, out);
}

void clsBlowfish::sFileDecrypt(const std::string& strFileSrc, const std::string& strFileTrg) {
    requireInitialised();
    if (!Exists(fs_, strFileSrc)) return;
    std::string stored = readWhole(strFileSrc);
    // At least the length and one block; the length must be positive and its padded
    // blocks must all be there. Anything else is a damaged file, not a size to allocate.
    if (stored.size() < 4 + 8) Damaged();
    std::uint32_t raw = 0;
    for (int i = 3; i >= 0; --i) raw = (raw << 8) | static_cast<unsigned char>(stored[static_cast<std::size_t>(i)]);
    const auto length = static_cast<std::int32_t>(raw);
    if (length <= 0) Damaged();
    const std::size_t padded = (static_cast<std::size_t>(length) + 7) / 8 * 8;
    if (padded > stored.size() - 4) Damaged();

    std::vector<std::uint8_t> cipher(stored.begin() + 4, stored.begin() + 4 + static_cast<std::ptrdiff_t>(padded));
    std::vector<std::uint8_t> plain(padded);
    sDecrypt(cipher, plain);
    // The plain target is a scratch file its caller removes; no second plain name is made.
    if (!fs_.write(strFileTrg, std::string(plain.begin(), plain.begin() + length))) AccessError();
}

}  // namespace qv

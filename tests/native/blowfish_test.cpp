// The file cipher: the published vectors, the stored format, and the files and boxes it refuses.
#include <gtest/gtest.h>

#include "lock_timer_world.h"

namespace qv {
namespace {

using test::FakeFileSystem;
using Bytes = std::vector<std::uint8_t>;

const std::string kFolder = "F:\\Program\\quorvel";
const std::string kBoxPath = kFolder + "\\bf.dat";
const std::string kPlain = kFolder + "\\plain.ini";
const std::string kStored = kFolder + "\\plain.st";
// "[PassCnt]\r\nPassCnt=1\r\n" as the program has always stored it: the length, then the blocks.
const std::string kStoredHex = "16000000258BDFCD1CE4A114D0B4C61BC47DE70EA60A2917A1EA6B2C";

const std::string& Boxes() {
    static const std::string boxes = test::LockTimerWorld::boxFile();
    return boxes;
}

std::string Hex(const std::string& hex) {
    std::string out;
    for (std::size_t i = 0; i + 1 < hex.size(); i += 2)
        out += static_cast<char>(std::stoi(hex.substr(i, 2), nullptr, 16));
    return out;
}

std::string ToHex(const std::string& bytes) {
    std::string out;
    for (unsigned char c : bytes) (out += "0123456789ABCDEF"[c >> 4]) += "0123456789ABCDEF"[c & 15];
    return out;
}

std::uint32_t ErrorNumber(const std::function<void()>& action) {
    try { action(); } catch (const AppError& e) { return e.number(); }
    return 0;
}

// A folder holding bf.dat and a cipher object over it.
struct CipherWorld {
    FakeFileSystem fs;
    clsBlowfish bf{fs, kFolder};
    explicit CipherWorld(bool init = true) {
        fs.put(kBoxPath, Boxes());
        if (init) bf.sInitBF(kCipherKey);
    }
    std::uint32_t file(bool encrypt) {
        return ErrorNumber([&] { encrypt ? bf.sFileEncrypt(kPlain, kStored) : bf.sFileDecrypt(kStored, kPlain); });
    }
};

TEST(BlowfishBoxTable, RejectsMalformedTables) {
    std::string words;
    for (std::size_t i = 0; i < kBoxWords; ++i) words += "0123abcd ";
    for (const std::string& text : {words + "00000000", words.substr(9), words + "12", "0123ABCX " + words.substr(9)})
        EXPECT_EQ(ErrorNumber([&] { BuildBoxFile(text); }), kBfErrBoxTable) << text.substr(0, 20);
    EXPECT_EQ(BuildBoxFile("# c\n" + words + "# end").size(), kBoxFileSize);
}

// Stored files depend on these exact bytes; every size comes back as it went in.
TEST(BlowfishFiles, StoredFormatAndEverySize) {
    CipherWorld w;
    w.fs.put(kPlain, "[PassCnt]\r\nPassCnt=1\r\n");
    w.bf.sFileEncrypt(kPlain, kStored);
    EXPECT_EQ(ToHex(w.fs.get(kStored)), kStoredHex);
    w.fs.put(kStored, Hex(kStoredHex) + "tail");   // bytes past the blocks were always ignored
    w.bf.sFileDecrypt(kStored, kPlain);
    EXPECT_EQ(w.fs.get(kPlain), "[PassCnt]\r\nPassCnt=1\r\n");
    for (std::size_t n = 1; n <= 17; ++n) {
        const std::string plain(n, static_cast<char>(0xA0 + n));
        w.fs.put(kPlain, plain);
        w.bf.sFileEncrypt(kPlain, kStored);
        w.bf.sFileDecrypt(kStored, kPlain);
        EXPECT_EQ(w.fs.get(kPlain), plain) << n;
    }
}

// Refused sources and failed writes leave the target as it was, with nothing beside it.
TEST(BlowfishFiles, RefusalsKeepTheTarget) {
    struct Case { std::optional<std::string> source; bool encrypt; std::uint32_t error; std::string failing = ""; };
    const Case cases[] = {
        {"", true, kBfErrSourceSize}, {std::nullopt, true, kBfErrSourceNotFound},
        {std::nullopt, false, 0},   // nothing to decipher is no error
        // The length negative, zero, beyond the blocks; not even the length.
        {std::string(12, '\xFF'), false, kBfErrFileDamaged}, {std::string(12, '\0'), false, kBfErrFileDamaged},
        {"\x11" + std::string(19, '\0'), false, kBfErrFileDamaged}, {std::string(3, '\x03'), false, kBfErrFileDamaged},
        {"new", true, kBfErrFileAccess, kStored}, {"new", true, kBfErrFileAccess, kStored + ".new"},
        {Hex(kStoredHex), false, kBfErrFileAccess, kPlain}};
    for (const Case& c : cases) {
        CipherWorld w;
        const std::string& target = c.encrypt ? kStored : kPlain;
        if (c.source) w.fs.put(c.encrypt ? kPlain : kStored, *c.source);
        w.fs.put(target, "old");
        w.fs.failWrites.insert(c.failing);
        EXPECT_EQ(w.file(c.encrypt), c.error) << &c - cases;
        EXPECT_EQ(w.fs.get(target) + std::to_string(w.fs.has(target + ".new")), "old0") << &c - cases;
    }
}

TEST(BlowfishState, TheBoxFileAndTheKey) {
    struct Case { void (*change)(FakeFileSystem&); std::uint32_t error; } cases[] = {
        {[](FakeFileSystem& fs) { fs.remove(kBoxPath); }, kBfErrBoxFileNotFound},
        {[](FakeFileSystem& fs) { fs.setAttributes(kBoxPath, AttrHidden); }, kBfErrBoxFileNotFound},
        {[](FakeFileSystem& fs) { fs.put(kBoxPath, Boxes().substr(0, 4000)); }, kBfErrBoxFileDamaged},
        {[](FakeFileSystem& fs) { fs.setAttributes(kBoxPath, AttrReadOnly | AttrArchive); }, 0}};
    for (const Case& c : cases) {
        CipherWorld w(false);
        c.change(w.fs);
        EXPECT_EQ(ErrorNumber([&] { w.bf.sInitBF(kCipherKey); }), c.error) << &c - cases;
        Bytes block(8);
        EXPECT_EQ(ErrorNumber([&] { w.bf.sEncrypt(block, block); }), c.error ? kBfErrNotInitialised : 0u);
    }
    CipherWorld bare(false);
    clsBlowfish trailing(bare.fs, kFolder + "\\");
    EXPECT_EQ(ErrorNumber([&] { trailing.sInitBF(kCipherKey); }), 0u);
    EXPECT_EQ(ErrorNumber([&] { trailing.sInitBF(""); }), kBfErrEmptyKey);
}

}  // namespace
}  // namespace qv

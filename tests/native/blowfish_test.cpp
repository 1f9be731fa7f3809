// The file cipher: the stored format, and the files and boxes it refuses.
#include <gtest/gtest.h>

#include "lock_timer_world.h"

namespace qv {
namespace {

using test::FakeFileSystem;
using test::LockTimerWorld;

// "[PassCnt]\r\nPassCnt=1\r\n" as the program has always stored it: the length, then the blocks.
const std::string kStoredHex = "16000000258BDFCD1CE4A114D0B4C61BC47DE70EA60A2917A1EA6B2C";
const std::string kBox = std::string(LockTimerWorld::kFolder) + "\\bf.dat";

std::string Hex(const std::string& hex) {
    std::string out;
    for (std::size_t i = 0; i + 1 < hex.size(); i += 2)
        out += static_cast<char>(std::stoi(hex.substr(i, 2), nullptr, 16));
    return out;
}

std::uint32_t ErrorNumber(const std::function<void()>& action) {
    try { action(); } catch (const AppError& e) { return e.number(); }
    return 0;
}

TEST(BlowfishBoxTable, RejectsMalformedTables) {
    std::string words;
    for (std::size_t i = 0; i < kBoxWords; ++i) words += "0123abcd ";
    for (const std::string& text : {words + "00000000", words.substr(9), words + "12", "0123ABCX " + words.substr(9)})
        EXPECT_EQ(ErrorNumber([&] { BuildBoxFile(text); }), kBfErrBoxTable) << text.substr(0, 20);
    EXPECT_EQ(BuildBoxFile("# c\n" + words + "# end").size(), kBoxFileSize);
}

// Stored files depend on these exact bytes; every size comes back as it went in.
TEST(BlowfishFiles, StoredFormatAndEverySize) {
    LockTimerWorld w;
    w.putTimer("[PassCnt]\r\nPassCnt=1\r\n");
    EXPECT_EQ(w.fs.get(w.stored), Hex(kStoredHex));
    w.fs.put(w.stored, Hex(kStoredHex) + "tail");   // bytes past the blocks were always ignored
    EXPECT_EQ(w.timerContent(), "[PassCnt]\r\nPassCnt=1\r\n");
    for (std::size_t n = 1; n <= 17; ++n) {
        w.putTimer(std::string(n, static_cast<char>(0xA0 + n)));
        EXPECT_EQ(w.timerContent(), std::string(n, static_cast<char>(0xA0 + n))) << n;
    }
}

// Refused sources and failed writes leave the target as it was, with nothing beside it.
TEST(BlowfishFiles, RefusalsKeepTheTarget) {
    // `failing`: what fails to be written, as a suffix to the target's name.
    struct Case { std::optional<std::string> source; bool encrypt; std::uint32_t error; const char* failing = "-"; };
    const Case cases[] = {
        {"", true, kBfErrSourceSize}, {std::nullopt, true, kBfErrSourceNotFound},
        {std::nullopt, false, 0},   // nothing to decipher is no error
        // The length negative, zero, beyond the blocks; not even the length.
        {std::string(12, '\xFF'), false, kBfErrFileDamaged}, {std::string(12, '\0'), false, kBfErrFileDamaged},
        {"\x11" + std::string(19, '\0'), false, kBfErrFileDamaged}, {std::string(3, '\x03'), false, kBfErrFileDamaged},
        {"new", true, kBfErrFileAccess, ""}, {"new", true, kBfErrFileAccess, ".new"},
        {Hex(kStoredHex), false, kBfErrFileAccess, ""}};
    for (const Case& c : cases) {
        LockTimerWorld w;
        clsBlowfish bf = w.cipher();
        const std::string& target = c.encrypt ? w.stored : w.plain;
        if (c.source) w.fs.put(c.encrypt ? w.plain : w.stored, *c.source);
        w.fs.put(target, "old");
        w.fs.failWrites.insert(target + c.failing);
        EXPECT_EQ(ErrorNumber([&] {
            c.encrypt ? bf.sFileEncrypt(w.plain, w.stored) : bf.sFileDecrypt(w.stored, w.plain);
        }), c.error) << &c - cases;
        EXPECT_EQ(w.fs.get(target) + std::to_string(w.fs.has(target + ".new")), "old0") << &c - cases;
    }
}

// A hidden or short bf.dat, or no key, leaves the cipher unusable; a read-only one serves.
TEST(BlowfishState, TheBoxFileAndTheKey) {
    struct Case { void (*change)(FakeFileSystem&); std::string key, folder; std::uint32_t error; } const cases[] = {
        {[](FakeFileSystem& fs) { fs.remove(kBox); }, kCipherKey, "", kBfErrBoxFileNotFound},
        {[](FakeFileSystem& fs) { fs.setAttributes(kBox, AttrHidden); }, kCipherKey, "", kBfErrBoxFileNotFound},
        {[](FakeFileSystem& fs) { fs.put(kBox, fs.get(kBox).substr(0, 4000)); }, kCipherKey, "", kBfErrBoxFileDamaged},
        {[](FakeFileSystem& fs) { fs.setAttributes(kBox, AttrReadOnly | AttrArchive); }, kCipherKey, "\\", 0},
        {[](FakeFileSystem&) {}, "", "", kBfErrEmptyKey}};
    for (const Case& c : cases) {
        LockTimerWorld w;
        c.change(w.fs);
        clsBlowfish bf(w.fs, LockTimerWorld::kFolder + c.folder);
        EXPECT_EQ(ErrorNumber([&] { bf.sInitBF(c.key); }), c.error) << &c - cases;
        std::vector<std::uint8_t> block(8);
        EXPECT_EQ(ErrorNumber([&] { bf.sEncrypt(block, block); }), c.error ? kBfErrNotInitialised : 0u);
    }
}

}  // namespace
}  // namespace qv

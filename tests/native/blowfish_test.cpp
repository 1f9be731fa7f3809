#include <gtest/gtest.h>

#include <cstdio>

#include "lock_timer_world.h"

namespace qv {
namespace {

using test::FakeFileSystem;
using Bytes = std::vector<std::uint8_t>;

const std::string kFolder = "F:\\Program\\quorvel";
const std::string kBoxPath = kFolder + "\\bf.dat";
const std::string kPlain = kFolder + "\\plain.ini";
const std::string kPlain2 = kPlain + "2";
const std::string kStored = kFolder + "\\plain.st";

const std::string& Boxes() {
    static const std::string boxes = test::LockTimerWorld::boxFile();
    return boxes;
}

Bytes Hex(const std::string& hex) {
    Bytes out;
    for (std::size_t i = 0; i + 1 < hex.size(); i += 2)
        out.push_back(static_cast<std::uint8_t>(std::stoi(hex.substr(i, 2), nullptr, 16)));
    return out;
}

template <class Range>
std::string ToHex(const Range& bytes) {
    std::string out;
    for (unsigned char c : bytes) (out += "0123456789ABCDEF"[c >> 4]) += "0123456789ABCDEF"[c & 15];
    return out;
}

std::uint32_t ErrorNumber(const std::function<void()>& action) {
    try { action(); } catch (const AppError& e) { return e.number(); }
    return 0;
}

// One block given in hex through the rounds, big-endian as published vectors are written.
std::string Block(const BlowfishCore& bf, const std::string& hex, bool encrypt) {
    auto l = static_cast<std::uint32_t>(std::stoul(hex.substr(0, 8), nullptr, 16));
    auto r = static_cast<std::uint32_t>(std::stoul(hex.substr(8), nullptr, 16));
    encrypt ? bf.encryptBlock(l, r) : bf.decryptBlock(l, r);
    char out[17];
    std::snprintf(out, sizeof out, "%08X%08X", l, r);
    return out;
}

// A folder holding bf.dat and a cipher object over it.
struct CipherWorld {
    FakeFileSystem fs;
    clsBlowfish bf{fs, kFolder};
    explicit CipherWorld(bool init = true) {
        fs.put(kBoxPath, Boxes());
        if (init) this->init();
    }
    void init() { bf.sInitBF(kCipherKey); }
    std::uint32_t encryptFile() { return ErrorNumber([&] { bf.sFileEncrypt(kPlain, kStored); }); }
    std::uint32_t decryptFile(const std::string& target = kPlain2) {
        return ErrorNumber([&] { bf.sFileDecrypt(kStored, target); });
    }
};

TEST(BlowfishBoxTable, BuildsTheBoxFileAndRejectsMalformedTables) {
    ASSERT_EQ(Boxes().size(), 4168u);
    EXPECT_EQ(ToHex(Boxes().substr(0, 4)), "886A3F24");     // P(1) = 243F6A88
    EXPECT_EQ(ToHex(Boxes().substr(72, 4)), "A60B31D1");    // first word of S-box 1
    EXPECT_EQ(ToHex(Boxes().substr(4164, 4)), "E672C33A");  // last word of S-box 4
    std::string words;
    for (std::size_t i = 0; i < kBoxWords; ++i) words += "0123ABCD ";
    for (const std::string& text : std::vector<std::string>{words + "00000000", words.substr(9), words + "12",
                                                            "# only a comment\n", "0123ABCX " + words.substr(9)})
        EXPECT_EQ(ErrorNumber([&] { BuildBoxFile(text); }), kBfErrBoxTable) << text.substr(0, 20);
    EXPECT_EQ(BuildBoxFile("# c\n" + words + "# end").size(), kBoxFileSize);
}

// The published test vectors, on the boxes loaded in published order.
TEST(BlowfishTextbook, PublishedVectors) {
    struct Case { const char *key, *plain, *cipher; };
    for (const Case& c : {Case{"0000000000000000", "0000000000000000", "4EF997456198DD78"},
                          Case{"FEDCBA9876543210", "0123456789ABCDEF", "0ACEAB0FC6A0A28D"}}) {
        BlowfishCore bf;
        bf.loadBoxes(Boxes(), BoxOrder::Published);
        const Bytes key = Hex(c.key);
        bf.mixKey(std::string(key.begin(), key.end()));
        EXPECT_EQ(Block(bf, c.plain, true), c.cipher) << c.key;
        EXPECT_EQ(Block(bf, c.cipher, false), c.plain) << c.key;
    }
}

// Stored files depend on these exact results; they must never change.
TEST(BlowfishInterleaved, KnownAnswersWithTheProgramKey) {
    CipherWorld w;
    struct Case { const char* plain; const char* cipher; };
    for (const Case& c : {Case{"0000000000000000", "8AAA5448137CA7C4"}, Case{"FEDCBA9876543210", "CAF71E0ED5C6FA69"}}) {
        Bytes out;
        w.bf.sEncrypt(Hex(c.plain), out);
        EXPECT_EQ(ToHex(out), c.cipher) << c.plain;
    }
    const std::string file = "16000000258BDFCD1CE4A114D0B4C61BC47DE70EA60A2917A1EA6B2C";
    w.fs.put(kPlain, "[PassCnt]\r\nPassCnt=1\r\n");
    w.bf.sFileEncrypt(kPlain, kStored);
    EXPECT_EQ(ToHex(w.fs.get(kStored)), file);
    Bytes bytes = Hex(file);
    w.fs.put(kStored, std::string(bytes.begin(), bytes.end()));
    w.bf.sFileDecrypt(kStored, kPlain2);
    EXPECT_EQ(w.fs.get(kPlain2), "[PassCnt]\r\nPassCnt=1\r\n");
    // Arrays: whole blocks only (5 stray bytes dropped), a longer output keeps its tail.
    Bytes in(13, 7), out, big(16, 0xEE);
    w.bf.sEncrypt(in, out);
    ASSERT_EQ(out.size(), 8u);
    w.bf.sEncrypt(in, big);
    EXPECT_EQ(ToHex(big), ToHex(out) + "EEEEEEEEEEEEEEEE");
}

TEST(BlowfishFiles, RoundTripsEverySizeAndPadsWithZeros) {
    CipherWorld w;
    for (std::size_t n = 1; n <= 40; ++n) {
        std::string plain(n, static_cast<char>(0xA0 + n));
        w.fs.put(kPlain, plain);
        w.init();
        w.bf.sFileEncrypt(kPlain, kStored);
        ASSERT_EQ(w.fs.get(kStored).size(), 4 + (n + 7) / 8 * 8) << n;
        w.init();
        w.bf.sFileDecrypt(kStored, kPlain2);
        ASSERT_EQ(w.fs.get(kPlain2), plain) << n;
    }

    w.fs.put(kPlain, std::string(17, 'a'));   // the length first, then a last block padded with zeros
    w.bf.sFileEncrypt(kPlain, kStored);
    const std::string stored = w.fs.get(kStored);
    ASSERT_EQ(stored.size(), 28u);
    EXPECT_EQ(ToHex(stored.substr(0, 4)), "11000000");
    Bytes third(stored.begin() + 20, stored.end()), plain;
    w.bf.sDecrypt(third, plain);
    EXPECT_EQ(ToHex(plain), "6100000000000000");
}

TEST(BlowfishFiles, TargetsAndSources) {
    CipherWorld w;
    // A new target replaces a longer old one completely.
    w.fs.put(kStored, std::string(500, 'x'));
    w.fs.put(kPlain, "short");
    w.bf.sFileEncrypt(kPlain, kStored);
    w.fs.put(kPlain2, std::string(500, 'y'));
    w.bf.sFileDecrypt(kStored, kPlain2);
    EXPECT_EQ(w.fs.get(kPlain2), "short");
    // Bytes beyond the padded blocks are ignored, as they always were.
    w.fs.put(kStored, w.fs.get(kStored) + "tail");
    EXPECT_EQ(w.decryptFile(), 0u);
    EXPECT_EQ(w.fs.get(kPlain2), "short");
    // An empty source is refused; a missing one too, but deciphering a missing file is no error.
    w.fs.put(kPlain, "");
    EXPECT_EQ(w.encryptFile(), kBfErrSourceSize);
    w.fs.remove(kPlain);
    EXPECT_EQ(w.encryptFile(), kBfErrSourceNotFound);
    EXPECT_EQ(w.fs.get(kStored).size(), 16u);
    w.fs.remove(kStored);
    w.fs.put(kPlain2, "keep me");
    EXPECT_EQ(w.decryptFile(), 0u);
    EXPECT_EQ(w.fs.get(kPlain2), "keep me");
    EXPECT_FALSE(w.fs.has(kStored));
}

TEST(BlowfishState, BoxFileMissingHiddenOrShort) {
    struct Case { const char* name; std::function<void(FakeFileSystem&)> damage; std::uint32_t error; };
    for (const Case& c : {Case{"missing", [](FakeFileSystem& fs) { fs.remove(kBoxPath); }, kBfErrBoxFileNotFound},
                          Case{"hidden", [](FakeFileSystem& fs) { fs.setAttributes(kBoxPath, AttrHidden); },
                               kBfErrBoxFileNotFound},
                          Case{"short", [](FakeFileSystem& fs) { fs.put(kBoxPath, Boxes().substr(0, 4000)); },
                               kBfErrBoxFileDamaged}}) {
        CipherWorld fresh(false);
        c.damage(fresh.fs);
        EXPECT_EQ(ErrorNumber([&] { fresh.init(); }), c.error) << c.name;
        Bytes in(8), out, before, after;
        fresh.fs.put(kPlain, "data");
        fresh.fs.put(kStored, std::string(12, 'z'));
        EXPECT_EQ(ErrorNumber([&] { fresh.bf.sEncrypt(in, out); }), kBfErrNotInitialised) << c.name;
        EXPECT_EQ(ErrorNumber([&] { fresh.bf.sDecrypt(in, out); }), kBfErrNotInitialised) << c.name;
        EXPECT_EQ(fresh.encryptFile(), kBfErrNotInitialised) << c.name;
        EXPECT_EQ(fresh.decryptFile(kPlain), kBfErrNotInitialised) << c.name;
        EXPECT_EQ(fresh.fs.get(kPlain), "data");
        // A failed set-up keeps the boxes and key of the last good one.
        CipherWorld used;
        used.bf.sEncrypt(in, before);
        c.damage(used.fs);
        EXPECT_EQ(ErrorNumber([&] { used.bf.sInitBF("another key"); }), c.error) << c.name;
        used.bf.sEncrypt(in, after);
        EXPECT_EQ(before, after) << c.name;
    }
    CipherWorld readOnly(false);
    readOnly.fs.setAttributes(kBoxPath, AttrReadOnly | AttrArchive);
    EXPECT_EQ(ErrorNumber([&] { readOnly.init(); }), 0u);
    clsBlowfish trailing(readOnly.fs, kFolder + "\\");
    EXPECT_EQ(ErrorNumber([&] { trailing.sInitBF(kCipherKey); }), 0u);
    EXPECT_EQ(ErrorNumber([&] { trailing.sInitBF(""); }), kBfErrEmptyKey);
}

TEST(BlowfishFiles, DamagedLengthsAreRefused) {
    auto stored = [](std::int32_t length, std::size_t blockBytes) {
        std::string s(4 + blockBytes, '\x5A');
        for (std::size_t i = 0; i < 4; ++i) s[i] = static_cast<char>((static_cast<std::uint32_t>(length) >> (8 * i)) & 0xFF);
        return s;
    };
    const std::pair<const char*, std::string> cases[] = {
        {"negative", stored(-5, 8)}, {"zero", stored(0, 8)}, {"longer than blocks", stored(17, 16)},
        {"length only", stored(3, 0)}, {"tiny", std::string("\x03\x00\x00", 3)}, {"short block", stored(3, 7)}};
    for (auto& [name, damaged] : cases) {
        CipherWorld w;
        w.fs.put(kStored, damaged);
        w.fs.put(kPlain, "previous");
        EXPECT_EQ(w.decryptFile(kPlain), kBfErrFileDamaged) << name;
        EXPECT_EQ(w.fs.get(kPlain), "previous") << name;
        EXPECT_FALSE(w.fs.has(kPlain + ".new")) << name;
    }
}

TEST(BlowfishFiles, FailedWriteKeepsTheOldTarget) {
    for (const std::string& failing : {kStored, kStored + ".new", kPlain2}) {
        CipherWorld w;
        w.fs.put(kPlain, "new content");
        w.bf.sFileEncrypt(kPlain, kStored);
        const std::string target = failing == kPlain2 ? kPlain2 : kStored;
        w.fs.put(target, "old content");
        w.fs.failWrites.insert(failing);
        EXPECT_EQ(failing == kPlain2 ? w.decryptFile() : w.encryptFile(), kBfErrFileAccess) << failing;
        EXPECT_EQ(w.fs.get(target), "old content") << failing;
        EXPECT_FALSE(w.fs.has(target + ".new")) << failing;
    }
}

}  // namespace
}  // namespace qv

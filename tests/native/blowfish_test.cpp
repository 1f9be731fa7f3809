#include <openssl/blowfish.h>

#include <fstream>
#include <random>
#include <sstream>

#include <gtest/gtest.h>

#include "fakes.h"
#include "password/blowfish.h"
#include "password/box_table.h"
#include "password/cipher_key.h"

namespace qv {
namespace {

using test::FakeFileSystem;

const std::string kFolder = "F:\\Program\\quorvel";
const std::string kBoxPath = kFolder + "\\bf.dat";
const std::string kPlain = kFolder + "\\plain.ini";
const std::string kStored = kFolder + "\\plain.st";

// The box file built from the repository's one table of initial words.
const std::string& Boxes() {
    static const std::string boxes = [] {
        std::ifstream in(std::string(QV_SOURCE_DIR) + "/src/password/blowfish_initial_boxes.txt");
        std::stringstream text;
        text << in.rdbuf();
        return BuildBoxFile(text.str());
    }();
    return boxes;
}

std::vector<std::uint8_t> Hex(const std::string& hex) {
    std::vector<std::uint8_t> out;
    for (std::size_t i = 0; i + 1 < hex.size(); i += 2)
        out.push_back(static_cast<std::uint8_t>(std::stoi(hex.substr(i, 2), nullptr, 16)));
    return out;
}

std::string ToHex(const std::string& bytes) {
    static const char* digits = "0123456789ABCDEF";
    std::string out;
    for (unsigned char c : bytes) {
        out += digits[c >> 4];
        out += digits[c & 15];
    }
    return out;
}
std::string ToHex(const std::vector<std::uint8_t>& bytes) { return ToHex(std::string(bytes.begin(), bytes.end())); }

std::uint32_t ErrorNumber(const std::function<void()>& action) {
    try {
        action();
    } catch (const AppError& e) {
        return e.number();
    }
    return 0;
}

std::string RandomBytes(std::mt19937& rng, std::size_t n) {
    std::string s(n, '\0');
    for (char& c : s) c = static_cast<char>(rng() & 0xFF);
    return s;
}

// A folder holding bf.dat and a cipher object over it.
struct CipherWorld {
    FakeFileSystem fs;
    clsBlowfish bf{fs, kFolder};
    CipherWorld() { fs.put(kBoxPath, Boxes()); }
    void init() { bf.sInitBF(kCipherKey); }
};

TEST(BlowfishBoxTable, BuildsTheBoxFileFromTheTable) {
    const std::string& boxes = Boxes();
    ASSERT_EQ(boxes.size(), 4168u);
    EXPECT_EQ(ToHex(boxes.substr(0, 4)), "886A3F24");                 // P(1) = 243F6A88
    EXPECT_EQ(ToHex(boxes.substr(72, 4)), "A60B31D1");                // first word of S-box 1
    EXPECT_EQ(ToHex(boxes.substr(4164, 4)), "E672C33A");              // last word of S-box 4
}

TEST(BlowfishBoxTable, RejectsMalformedTables) {
    std::string words;
    for (std::size_t i = 0; i < kBoxWords; ++i) words += "0123ABCD ";
    const std::vector<std::string> tables = {words + "00000000", words.substr(9), words + "12",
                                             "# only a comment\n", "0123ABCX " + words.substr(9)};
    for (const std::string& text : tables) {
        EXPECT_EQ(ErrorNumber([&] { BuildBoxFile(text); }), kBfErrBoxTable) << text.substr(0, 20);
    }
    EXPECT_EQ(BuildBoxFile("# c\n" + words + "# end").size(), kBoxFileSize);
}

// Textbook Blowfish from the same table, checked against OpenSSL and published vectors.
TEST(BlowfishTextbook, PublishedVectors) {
    struct Case { const char* key; const char* plain; const char* cipher; };
    for (const Case& c : {Case{"0000000000000000", "0000000000000000", "4EF997456198DD78"},
                          Case{"FFFFFFFFFFFFFFFF", "FFFFFFFFFFFFFFFF", "51866FD5B85ECB8A"},
                          Case{"0123456789ABCDEF", "1111111111111111", "61F9C3802281B096"},
                          Case{"FEDCBA9876543210", "0123456789ABCDEF", "0ACEAB0FC6A0A28D"}}) {
        BlowfishCore core;
        core.loadBoxes(Boxes(), BoxOrder::Published);
        auto key = Hex(c.key);
        core.mixKey(std::string_view(reinterpret_cast<const char*>(key.data()), key.size()));
        auto block = Hex(c.plain);
        std::uint32_t l = (std::uint32_t{block[0]} << 24) | (block[1] << 16) | (block[2] << 8) | block[3];
        std::uint32_t r = (std::uint32_t{block[4]} << 24) | (block[5] << 16) | (block[6] << 8) | block[7];
        core.encryptBlock(l, r);
        char out[17];
        std::snprintf(out, sizeof out, "%08X%08X", l, r);
        EXPECT_EQ(std::string(out), c.cipher) << c.key;
        core.decryptBlock(l, r);
        std::snprintf(out, sizeof out, "%08X%08X", l, r);
        EXPECT_EQ(std::string(out), c.plain) << c.key;
    }
}

TEST(BlowfishTextbook, MatchesOpenSslForRandomKeysAndBlocks) {
    std::mt19937 rng(4711);
    for (int round = 0; round < 200; ++round) {
        std::string key = RandomBytes(rng, 1 + rng() % 72);
        BF_KEY reference;
        BF_set_key(&reference, static_cast<int>(key.size()), reinterpret_cast<const unsigned char*>(key.data()));
        BlowfishCore core;
        core.loadBoxes(Boxes(), BoxOrder::Published);
        core.mixKey(key);
        for (int i = 0; i < 18; ++i) ASSERT_EQ(core.p()[i], reference.P[i]) << round;
        for (int i = 0; i < 1024; ++i) ASSERT_EQ(core.s()[i / 256][i % 256], reference.S[i]) << round;
        for (int b = 0; b < 5; ++b) {
            BF_LONG data[2] = {static_cast<BF_LONG>(rng()), static_cast<BF_LONG>(rng())};
            std::uint32_t l = data[0], r = data[1];
            BF_encrypt(data, &reference);
            core.encryptBlock(l, r);
            ASSERT_EQ(l, data[0]);
            ASSERT_EQ(r, data[1]);
            core.decryptBlock(l, r);
            BF_decrypt(data, &reference);
            ASSERT_EQ(l, data[0]);
            ASSERT_EQ(r, data[1]);
        }
    }
}

// The program's own arrangement: S(k, m) = W[4m + k - 1], then OpenSSL's rounds drive the
// key schedule. clsBlowfish must agree with that independent construction.
TEST(BlowfishInterleaved, AgreesWithOpenSslRoundsOverInterleavedBoxes) {
    auto word = [](std::size_t i) {
        const std::string& b = Boxes();
        return static_cast<BF_LONG>(static_cast<unsigned char>(b[4 * i]) | static_cast<unsigned char>(b[4 * i + 1]) << 8 |
                                    static_cast<unsigned char>(b[4 * i + 2]) << 16 |
                                    static_cast<std::uint32_t>(static_cast<unsigned char>(b[4 * i + 3])) << 24);
    };
    std::mt19937 rng(1234);
    for (int round = 0; round < 50; ++round) {
        std::string key = round == 0 ? std::string(kCipherKey) : RandomBytes(rng, 1 + rng() % 40);
        BF_KEY ref;
        for (std::size_t i = 0; i < 18; ++i) ref.P[i] = word(i);
        for (std::size_t q = 0; q < 1024; ++q) ref.S[(q % 4) * 256 + q / 4] = word(18 + q);
        for (std::size_t i = 0, j = 0; i < 18; ++i, j = (j + 4) % key.size()) {
            BF_LONG w = 0;
            for (std::size_t b = 0; b < 4; ++b) w = (w << 8) | static_cast<unsigned char>(key[(j + b) % key.size()]);
            ref.P[i] ^= w;
        }
        BF_LONG data[2] = {0, 0};
        for (std::size_t i = 0; i < 18 + 1024; i += 2) {
            BF_encrypt(data, &ref);
            BF_LONG* slot = i < 18 ? &ref.P[i] : &ref.S[i - 18];
            slot[0] = data[0];
            slot[1] = data[1];
        }

        CipherWorld w;
        w.bf.sInitBF(key);
        std::string plain = RandomBytes(rng, 64);
        std::vector<std::uint8_t> in(plain.begin(), plain.end()), out, back;
        w.bf.sEncrypt(in, out);
        for (std::size_t at = 0; at < 64; at += 8) {
            unsigned char expected[8];
            BF_ecb_encrypt(&in[at], expected, &ref, BF_ENCRYPT);
            ASSERT_EQ(ToHex(std::string(expected, expected + 8)), ToHex(std::vector<std::uint8_t>(&out[at], &out[at] + 8)));
        }
        w.bf.sDecrypt(out, back);
        ASSERT_EQ(back, in);
    }
}

// Stored files depend on these exact results; they must never change.
TEST(BlowfishInterleaved, KnownAnswersWithTheProgramKey) {
    CipherWorld w;
    w.init();
    struct Case { const char* plain; const char* cipher; };
    for (const Case& c : {Case{"0000000000000000", "8AAA5448137CA7C4"}, Case{"FFFFFFFFFFFFFFFF", "2D18E71C20EF1B5B"},
                          Case{"0123456789ABCDEF", "1008623E2473CD66"}, Case{"1111111111111111", "76C303B8FCD3AF40"},
                          Case{"FEDCBA9876543210", "CAF71E0ED5C6FA69"}}) {
        std::vector<std::uint8_t> out;
        w.bf.sEncrypt(Hex(c.plain), out);
        EXPECT_EQ(ToHex(out), c.cipher) << c.plain;
    }
    const std::string file = "16000000258BDFCD1CE4A114D0B4C61BC47DE70EA60A2917A1EA6B2C";
    w.fs.put(kPlain, "[PassCnt]\r\nPassCnt=1\r\n");
    w.bf.sFileEncrypt(kPlain, kStored);
    EXPECT_EQ(ToHex(w.fs.get(kStored)), file);
    auto bytes = Hex(file);
    w.fs.put(kStored, std::string(bytes.begin(), bytes.end()));
    w.bf.sFileDecrypt(kStored, kPlain + "2");
    EXPECT_EQ(w.fs.get(kPlain + "2"), "[PassCnt]\r\nPassCnt=1\r\n");
}

TEST(BlowfishInterleaved, DiffersFromTextbookBlowfish) {
    CipherWorld w;
    w.init();
    BF_KEY textbook;
    BF_set_key(&textbook, 18, reinterpret_cast<const unsigned char*>(kCipherKey));
    std::vector<std::uint8_t> plain(8, 0), ours;
    unsigned char theirs[8];
    w.bf.sEncrypt(plain, ours);
    BF_ecb_encrypt(plain.data(), theirs, &textbook, BF_ENCRYPT);
    EXPECT_NE(ToHex(ours), ToHex(std::string(theirs, theirs + 8)));
}

TEST(BlowfishArrays, WholeBlocksOnlyAndOutputGrown) {
    CipherWorld w;
    w.init();
    std::vector<std::uint8_t> in(13, 7), out;   // one block and 5 stray bytes
    w.bf.sEncrypt(in, out);
    ASSERT_EQ(out.size(), 8u);
    std::vector<std::uint8_t> big(16, 0xEE);
    w.bf.sEncrypt(in, big);
    EXPECT_EQ(ToHex(std::vector<std::uint8_t>(big.begin(), big.begin() + 8)), ToHex(out));
    EXPECT_EQ(ToHex(std::vector<std::uint8_t>(big.begin() + 8, big.end())), "EEEEEEEEEEEEEEEE");
}

TEST(BlowfishFiles, RoundTripsEverySize) {
    CipherWorld w;
    std::mt19937 rng(99);
    for (std::size_t n = 1; n <= 100; ++n) {
        std::string plain = RandomBytes(rng, n);
        w.fs.put(kPlain, plain);
        w.init();
        w.bf.sFileEncrypt(kPlain, kStored);
        ASSERT_EQ(w.fs.get(kStored).size(), 4 + (n + 7) / 8 * 8) << n;
        w.init();
        w.bf.sFileDecrypt(kStored, kPlain + "2");
        ASSERT_EQ(w.fs.get(kPlain + "2"), plain) << n;
    }
    for (auto& [name, entry] : w.fs.files) EXPECT_EQ(name.find(".new"), std::string::npos) << name;
}

TEST(BlowfishFiles, PadsTheLastBlockWithZeros) {
    CipherWorld w;
    w.init();
    w.fs.put(kPlain, std::string(16, 'a'));
    w.bf.sFileEncrypt(kPlain, kStored);
    EXPECT_EQ(w.fs.get(kStored).size(), 20u);
    EXPECT_EQ(ToHex(w.fs.get(kStored).substr(0, 4)), "10000000");

    w.fs.put(kPlain, std::string(17, 'a'));
    w.bf.sFileEncrypt(kPlain, kStored);
    std::string stored = w.fs.get(kStored);
    ASSERT_EQ(stored.size(), 28u);
    EXPECT_EQ(ToHex(stored.substr(0, 4)), "11000000");
    std::vector<std::uint8_t> third(stored.begin() + 20, stored.end()), plain;
    w.bf.sDecrypt(third, plain);
    EXPECT_EQ(ToHex(plain), "6100000000000000");
}

TEST(BlowfishFiles, NewTargetReplacesALongerOldOneCompletely) {
    CipherWorld w;
    w.init();
    w.fs.put(kStored, std::string(500, 'x'));
    w.fs.put(kPlain, "short");
    w.bf.sFileEncrypt(kPlain, kStored);
    EXPECT_EQ(w.fs.get(kStored).size(), 12u);
    w.fs.put(kPlain + "2", std::string(500, 'y'));
    w.bf.sFileDecrypt(kStored, kPlain + "2");
    EXPECT_EQ(w.fs.get(kPlain + "2"), "short");
}

TEST(BlowfishFiles, MissingSource) {
    CipherWorld w;
    w.init();
    EXPECT_EQ(ErrorNumber([&] { w.bf.sFileEncrypt(kPlain, kStored); }), kBfErrSourceNotFound);
    EXPECT_FALSE(w.fs.has(kStored));
    w.fs.put(kPlain, "keep me");
    EXPECT_EQ(ErrorNumber([&] { w.bf.sFileDecrypt(kStored, kPlain); }), 0u);
    EXPECT_EQ(w.fs.get(kPlain), "keep me");
}

TEST(BlowfishFiles, EmptySourceIsRefused) {
    CipherWorld w;
    w.init();
    w.fs.put(kPlain, "");
    w.fs.put(kStored, "old");
    EXPECT_EQ(ErrorNumber([&] { w.bf.sFileEncrypt(kPlain, kStored); }), kBfErrSourceSize);
    EXPECT_EQ(w.fs.get(kStored), "old");
}

TEST(BlowfishState, EveryOperationNeedsKeySetUp) {
    CipherWorld w;
    w.fs.put(kPlain, "data");
    w.fs.put(kStored, std::string(12, 'z'));
    std::vector<std::uint8_t> in(8), out;
    EXPECT_EQ(ErrorNumber([&] { w.bf.sEncrypt(in, out); }), kBfErrNotInitialised);
    EXPECT_EQ(ErrorNumber([&] { w.bf.sDecrypt(in, out); }), kBfErrNotInitialised);
    EXPECT_EQ(ErrorNumber([&] { w.bf.sFileEncrypt(kPlain, kStored); }), kBfErrNotInitialised);
    EXPECT_EQ(ErrorNumber([&] { w.bf.sFileDecrypt(kStored, kPlain); }), kBfErrNotInitialised);
    EXPECT_EQ(w.fs.get(kPlain), "data");
    try {
        w.bf.sEncrypt(in, out);
    } catch (const AppError& e) {
        EXPECT_EQ(e.description(), "Call sInitBF before calling this sub");
    }
}

TEST(BlowfishState, BoxFileMissingHiddenOrShort) {
    struct Case { const char* name; std::function<void(FakeFileSystem&)> damage; std::uint32_t error; };
    for (const Case& c : {Case{"missing", [](FakeFileSystem& fs) { fs.remove(kBoxPath); }, kBfErrBoxFileNotFound},
                          Case{"hidden", [](FakeFileSystem& fs) { fs.setAttributes(kBoxPath, AttrHidden); },
                               kBfErrBoxFileNotFound},
                          Case{"short", [](FakeFileSystem& fs) { fs.put(kBoxPath, Boxes().substr(0, 4000)); },
                               kBfErrBoxFileDamaged}}) {
        CipherWorld fresh;
        c.damage(fresh.fs);
        EXPECT_EQ(ErrorNumber([&] { fresh.init(); }), c.error) << c.name;
        std::vector<std::uint8_t> in(8), out;
        EXPECT_EQ(ErrorNumber([&] { fresh.bf.sEncrypt(in, out); }), kBfErrNotInitialised) << c.name;

        // A failed set-up keeps the boxes and key of the last good one.
        CipherWorld used;
        used.init();
        std::vector<std::uint8_t> before, after;
        used.bf.sEncrypt(in, before);
        c.damage(used.fs);
        EXPECT_EQ(ErrorNumber([&] { used.bf.sInitBF("another key"); }), c.error) << c.name;
        used.bf.sEncrypt(in, after);
        EXPECT_EQ(before, after) << c.name;
    }
    CipherWorld readOnly;
    readOnly.fs.setAttributes(kBoxPath, AttrReadOnly | AttrArchive);
    EXPECT_EQ(ErrorNumber([&] { readOnly.init(); }), 0u);
    FakeFileSystem fs;
    fs.put(kBoxPath, Boxes());
    clsBlowfish trailing(fs, kFolder + "\\");
    EXPECT_EQ(ErrorNumber([&] { trailing.sInitBF(kCipherKey); }), 0u);
    EXPECT_EQ(ErrorNumber([&] { trailing.sInitBF(""); }), kBfErrEmptyKey);
}

std::string Stored(std::int32_t length, std::size_t blockBytes) {
    std::string s(4 + blockBytes, '\x5A');
    for (int i = 0; i < 4; ++i) s[static_cast<std::size_t>(i)] = static_cast<char>((static_cast<std::uint32_t>(length) >> (8 * i)) & 0xFF);
    return s;
}

TEST(BlowfishFiles, DamagedLengthsAreRefused) {
    struct Case { const char* name; std::string stored; };
    for (const Case& c : {Case{"negative", Stored(-5, 8)}, Case{"zero", Stored(0, 8)},
                          Case{"huge", Stored(0x7FFFFFFF, 16)}, Case{"longer than blocks", Stored(17, 16)},
                          Case{"truncated block", Stored(17, 23)}, Case{"length only", Stored(3, 0)},
                          Case{"tiny", std::string("\x03\x00\x00", 3)}, Case{"short block", Stored(3, 7)}}) {
        CipherWorld w;
        w.init();
        w.fs.put(kStored, c.stored);
        w.fs.put(kPlain, "previous");
        EXPECT_EQ(ErrorNumber([&] { w.bf.sFileDecrypt(kStored, kPlain); }), kBfErrFileDamaged) << c.name;
        EXPECT_EQ(w.fs.get(kPlain), "previous") << c.name;
        EXPECT_FALSE(w.fs.has(kPlain + ".new")) << c.name;
    }
    // Bytes beyond the padded blocks are ignored, as they always were.
    CipherWorld w;
    w.init();
    w.fs.put(kPlain, "abc");
    w.bf.sFileEncrypt(kPlain, kStored);
    w.fs.put(kStored, w.fs.get(kStored) + "tail");
    w.bf.sFileDecrypt(kStored, kPlain + "2");
    EXPECT_EQ(w.fs.get(kPlain + "2"), "abc");
}

TEST(BlowfishFiles, FailedWriteKeepsTheOldTarget) {
    for (const std::string& failing : {kStored, kStored + ".new"}) {
        CipherWorld w;
        w.init();
        w.fs.put(kPlain, "new content");
        w.fs.put(kStored, "old store");
        w.fs.failWrites.insert(failing);
        EXPECT_EQ(ErrorNumber([&] { w.bf.sFileEncrypt(kPlain, kStored); }), kBfErrFileAccess) << failing;
        EXPECT_EQ(w.fs.get(kStored), "old store") << failing;
        EXPECT_FALSE(w.fs.has(kStored + ".new")) << failing;
    }
    CipherWorld w;
    w.init();
    w.fs.put(kPlain, "plain");
    w.bf.sFileEncrypt(kPlain, kStored);
    w.fs.put(kPlain + "2", "old plain");
    w.fs.failWrites.insert(kPlain + "2");
    EXPECT_EQ(ErrorNumber([&] { w.bf.sFileDecrypt(kStored, kPlain + "2"); }), kBfErrFileAccess);
    EXPECT_EQ(w.fs.get(kPlain + "2"), "old plain");
    EXPECT_FALSE(w.fs.has(kPlain + "2.new"));
}

}  // namespace
}  // namespace qv

#include <gtest/gtest.h>

#include <set>

#include "app/record_encoding.h"

using namespace qv;

namespace {
const std::string kKeyId = "0781557104B1D19A2C3D1F5E";
std::string AllBytes() {
    std::string s;
    for (int c = 0; c < 256; ++c) s += static_cast<char>(c);
    return s;
}
}  // namespace

TEST(RecordEncoding, DigitTextExamplesAndRoundTrip) {
    const std::pair<std::string, std::string> cases[] = {
        {"E", "269"}, {"abc", "297298299"}, {"", ""}, {std::string(1, '\0'), "10"}, {"\xff", "3255"}};
    for (auto& [plain, encoded] : cases) {
        EXPECT_EQ(EncodeDigitText(plain), encoded);
        EXPECT_EQ(DecodeDigitText(encoded), plain);
    }
    EXPECT_EQ(DecodeDigitText(EncodeDigitText(AllBytes())), AllBytes());
}

TEST(RecordEncoding, OffsetTextStartValueAndNegativeOffsets) {
    EXPECT_EQ(ReverseText("abc"), "cba");
    EXPECT_EQ(EncodeOffsetText("AB", 25), "12;54;52;");   // reversed "BA": 66-12, 65-13
    for (auto [k, s] : {std::pair{25, "12;"}, {26, "13;"}, {27, "14;"}, {97, "48;"}, {99, "50;"}})
        EXPECT_EQ(EncodeOffsetText("", k), s) << k;
    const std::string text = "\x01" + std::string(30, 'x');   // \x01 ends up 31st: 1 - (12 + 30)
    const std::string encoded = EncodeOffsetText(text, 25);
    EXPECT_EQ(encoded.substr(encoded.size() - 4), "-41;");
    EXPECT_EQ(DecodeOffsetText(encoded), text);
}

TEST(RecordEncoding, OffsetTextRoundTripsForEveryKAndRandomStarts) {
    for (int k = 25; k <= 99; ++k) {
        EXPECT_EQ(DecodeOffsetText(EncodeOffsetText(kKeyId, k)), kKeyId) << k;
        EXPECT_EQ(DecodeOffsetText(EncodeOffsetText(AllBytes(), k)), AllBytes()) << k;
    }
    std::set<std::string> seen;
    for (int i = 0; i < 20; ++i) {
        std::string encoded = EncodeOffsetText(kKeyId);
        int s = std::stoi(encoded.substr(0, encoded.find(';')));
        EXPECT_TRUE(s >= 12 && s <= 50) << s;
        EXPECT_EQ(DecodeOffsetText(encoded), kKeyId);
        seen.insert(encoded);
    }
    EXPECT_GT(seen.size(), 1u);
}

TEST(RecordEncoding, DamagedTextKeepsWhatWasDecoded) {
    const std::pair<std::string, std::string> digits[] = {
        {"x69", ""},      {"269x", "E"},  {"2695", "E"},     {"26", ""},   {"0", ""},          {"3256", ""},
        {"2a9", ""},      {"269-12", "E"}, {"9999999999", ""}, {"2", ""},  {"269\r\n", "E"},  {"2-1", ""},
    };
    for (auto& [damaged, expected] : digits) EXPECT_EQ(DecodeDigitText(damaged), expected) << damaged;
    const std::pair<std::string, std::string> cases[] = {
        {"", ""},         {"12", ""},          {"x;54;", ""},      {"12;54", ""},
        {"12;54;52", "B"}, {"12;;52;", ""},    {"12;54;abc;", "B"}, {"12;244;", ""},
        {"12;-13;", ""},  {"12;-;", ""},       {"12;5 4;", ""},     {"12;99999999999999999999;", ""},
        {"99999999999999999999;1;", ""},       {"-5;70;", "A"},     {"12;54;52;\r\n", "AB"},
    };
    for (auto& [damaged, expected] : cases) EXPECT_EQ(DecodeOffsetText(damaged), expected) << damaged;
}

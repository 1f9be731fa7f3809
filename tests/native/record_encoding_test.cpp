#include <gtest/gtest.h>

#include <set>

#include "app/record_encoding.h"

using namespace qv;

TEST(RecordEncoding, ExamplesRoundTripsAndRandomStarts) {
    std::string all;
    for (int c = 0; c < 256; ++c) all += static_cast<char>(c);
    for (auto& [plain, encoded] : {std::pair<std::string, std::string>{"abc", "297298299"},
                                   {std::string(1, '\0'), "10"}, {"\xff", "3255"}})
        EXPECT_EQ(EncodeDigitText(plain) + " " + DecodeDigitText(encoded), encoded + " " + plain);
    EXPECT_EQ(DecodeDigitText(EncodeDigitText(all)), all);
    EXPECT_EQ(EncodeOffsetText("AB", 25), "12;54;52;");   // reversed "BA": 66-12, 65-13
    EXPECT_TRUE(EncodeOffsetText("\x01" + std::string(30, 'x'), 25).ends_with(";-41;"));   // 1 - (12 + 30), last
    for (int k : {26, 99}) EXPECT_EQ(DecodeOffsetText(EncodeOffsetText(all, k)), all) << k;
    std::set<std::string> seen;   // the start is drawn at random
    for (int i = 0; i < 20; ++i) seen.insert(EncodeOffsetText("0781557104B1D19A"));
    EXPECT_GT(seen.size(), 1u);
    for (const std::string& encoded : seen) {
        const int s = std::stoi(encoded);
        EXPECT_TRUE(s >= 12 && s <= 50 && DecodeOffsetText(encoded) == "0781557104B1D19A") << encoded;
    }
}

TEST(RecordEncoding, DamagedTextKeepsWhatWasDecoded) {
    for (auto& [damaged, expected] : {std::pair<std::string, std::string>{"x69", ""}, {"269x", "E"}, {"2695", "E"},
                                      {"26", ""}, {"3256", ""}, {"269-12", "E"}, {"9999999999", ""}, {"2-1", ""}})
        EXPECT_EQ(DecodeDigitText(damaged), expected) << damaged;
    for (auto& [damaged, expected] : {std::pair<std::string, std::string>{"12", ""}, {"12;54", ""},
                                      {"12;54;52", "B"}, {"12;;52;", ""}, {"12;54;abc;", "B"}, {"12;244;", ""},
                                      {"12;-13;", ""}, {"12;5 4;", ""}, {"12;99999999999999999999;", ""},
                                      {"-5;70;", "A"}, {"12;54;52;\r\n", "AB"}})
        EXPECT_EQ(DecodeOffsetText(damaged), expected) << damaged;
}

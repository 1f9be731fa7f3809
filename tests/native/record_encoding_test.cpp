#include <gtest/gtest.h>

#include <set>

#include "app/record_encoding.h"

using namespace qv;

TEST(RecordEncoding, ExamplesRoundTripsAndRandomStarts) {
    std::string all;
    for (int c = 0; c < 256; ++c) all += static_cast<char>(c);
    for (auto& [plain, encoded] : {std::pair<std::string, std::string>{"E", "269"}, {"abc", "297298299"},
                                   {std::string(1, '\0'), "10"}, {"\xff", "3255"}}) {
        EXPECT_EQ(EncodeDigitText(plain), encoded);
        EXPECT_EQ(DecodeDigitText(encoded), plain);
    }
    EXPECT_EQ(DecodeDigitText(EncodeDigitText(all)), all);
    EXPECT_EQ(EncodeOffsetText("AB", 25), "12;54;52;");   // reversed "BA": 66-12, 65-13
    EXPECT_EQ(EncodeOffsetText("", 99), "50;");
    const std::string text = "\x01" + std::string(30, 'x');   // \x01 ends up 31st: 1 - (12 + 30)
    EXPECT_EQ(EncodeOffsetText(text, 25).substr(EncodeOffsetText(text, 25).size() - 4), "-41;");
    for (int k : {25, 26, 99}) EXPECT_EQ(DecodeOffsetText(EncodeOffsetText(all, k)), all) << k;
    std::set<std::string> seen;
    for (int i = 0; i < 20; ++i) {
        std::string encoded = EncodeOffsetText("0781557104B1D19A");
        int s = std::stoi(encoded.substr(0, encoded.find(';')));
        EXPECT_TRUE(s >= 12 && s <= 50) << s;
        EXPECT_EQ(DecodeOffsetText(encoded), "0781557104B1D19A");
        seen.insert(encoded);
    }
    EXPECT_GT(seen.size(), 1u);
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

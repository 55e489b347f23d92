#include <gtest/gtest.h>

#include <random>

#include "archive/Cp932.h"

TEST(Cp932, DecodesAndEncodesJapaneseAndLatin) {
    struct Row {
        const char* name;
        std::string cp932;
        std::string utf8;
    } rows[] = {
        {"ascii", "component", "component"},
        {"kanji", "\x8a\xee\x94\xc2", "基板"},
        {"mixed", "R1 \x92\xef\x8d\x52", "R1 抵抗"},
        {"half-width kana", "\xb1\xb2", "ｱｲ"},
        {"empty", "", ""},
    };
    for (const Row& r : rows) {
        EXPECT_EQ(DecodeCp932(r.cp932), r.utf8) << r.name;
        std::string back;
        EXPECT_TRUE(EncodeCp932(r.utf8, back)) << r.name;
        EXPECT_EQ(back, r.cp932) << r.name;
    }
}

TEST(Cp932, AnyByteSequenceSurvivesARoundTrip) {
    // Invalid lead bytes, a lead byte at the end, a lead byte with a bad trail
    // byte, and a duplicate NEC/IBM code that CP932 would otherwise rewrite.
    const std::string cases[] = {"\x80",      "\xa0\xfd\xfe\xff", "ab\x81",
                                 "\x81\x20x", "\xed\x40",         "\x82\xa0\x82"};
    for (const std::string& bytes : cases) {
        std::string back;
        EncodeCp932(DecodeCp932(bytes), back);
        EXPECT_EQ(back, bytes);
    }
    std::mt19937 rng(932);
    for (int i = 0; i < 2000; ++i) {
        std::string bytes(std::size_t(rng() % 12), '\0');
        for (char& c : bytes) c = char(rng() % 256);
        std::string back;
        EncodeCp932(DecodeCp932(bytes), back);
        ASSERT_EQ(back, bytes) << "case " << i;
    }
}

TEST(Cp932, CharactersOutsideTheCodePageAreRefused) {
    EXPECT_TRUE(CanEncodeCp932("ＭＳ ゴシック"));
    EXPECT_FALSE(CanEncodeCp932("😀"));
    EXPECT_FALSE(CanEncodeCp932("한국"));
    std::string out;
    EXPECT_FALSE(EncodeCp932("a\xff", out)) << "invalid UTF-8";
    EXPECT_EQ(out, "a?");
}

#include <gtest/gtest.h>

#include <string>

#include "basic_tokens.h"

namespace {

using Bytes = std::vector<std::uint8_t>;

TEST(BasicTokens, TokeniseLinesAsTheKcStoredThem) {
    const struct {
        std::string typed;
        Bytes stored;
    } cases[] = {
        // Seen in the KC's firmware.
        {"print \"Hi\";a$:goto 10",
         {0x9E, 0x20, 0x22, 0x48, 0x69, 0x22, 0x3B, 0x41, 0x24, 0x3A, 0x88, 0x20, 0x31, 0x30}},
        {"GO  TO 10:? 5", {0x88, 0x20, 0x31, 0x30, 0x3A, 0x9E, 0x20, 0x35}},
        {"DATA abc, PRINT :print x",
         {0x83, 0x20, 0x61, 0x62, 0x63, 0x2C, 0x20, 0x50, 0x52, 0x49, 0x4E, 0x54, 0x20, 0x3A, 0x9E,
          0x20, 0x58}},
        {"REM  x  ", {0x8E, 0x20, 0x20, 0x78, 0x20, 0x20}},
        {"\"abc", {0x22, 0x61, 0x62, 0x63}},
        {"G O T O 10", {0x88, 0x20, 0x31, 0x30}},
        {"STO?", {0x53, 0xA6, 0x9E}},
        {"DATA \"a:b\",c:?", {0x83, 0x20, 0x22, 0x61, 0x3A, 0x62, 0x22, 0x2C, 0x63, 0x3A, 0x9E}},
        {"\x83"
         "a:b\x8Ex",
         {0x83, 0x61, 0x3A, 0x42, 0x8E, 0x78}},  // raw bytes act as their tokens
        // Read from the ROM's routine.
        {"FOR I=1 TO 10:? I;:NEXT",
         {0x81, 0x20, 0x49, 0xB4, 0x31, 0x20, 0xA6, 0x20, 0x31, 0x30, 0x3A, 0x9E, 0x20, 0x49, 0x3B,
          0x3A, 0x82}},
        {"a$=inkey$", {0x41, 0x24, 0xB4, 0xD5}},
        {"! print", {0x9C, 0x20, 0x70, 0x72, 0x69, 0x6E, 0x74}},
        {std::string("a\0b", 3), {0x41}},  // BASIC's line ends at a zero byte
    };
    for (const auto& c : cases) {
        EXPECT_EQ(kc::tokeniseText(c.typed), c.stored) << c.typed;
    }
}

TEST(BasicTokens, TakeTheFirstKeywordInTokenOrderWithoutWordBoundaries) {
    const struct {
        std::string typed;
        Bytes stored;
    } cases[] = {
        {"CAT", {0x43, 0xE1}},   // C, AT
        {"FORM", {0x81, 0x4D}},  // FOR, M
        {"ATN", {0xC4}},         // before AT
        {"INK", {0xDF}},         // INKEY$ comes first but does not match
        {"LINE", {0xF2}},        // LINES comes first but does not match
        {"LINES", {0x98}},
        {"GO SUB", {0x47, 0x4F, 0x20, 0x53, 0x55, 0x42}},  // blanks count only in GOTO
        {"<=>", {0xB5, 0xB4, 0xB3}},
        {"\xE9x", {0xE9, 0x58}},  // only a-z become capitals
    };
    for (const auto& c : cases) {
        EXPECT_EQ(kc::tokeniseText(c.typed), c.stored) << c.typed;
    }
}

TEST(BasicTokens, KeywordsSpanExactlyEightyToF4) {
    EXPECT_FALSE(kc::basicKeyword(0x7F));
    EXPECT_EQ(kc::basicKeyword(0x80), "END");
    EXPECT_EQ(kc::basicKeyword(0x9C), "!");
    EXPECT_EQ(kc::basicKeyword(0xD4), "ELSE");    // the BASIC ROM's last
    EXPECT_EQ(kc::basicKeyword(0xD5), "INKEY$");  // CAOS's first
    EXPECT_EQ(kc::basicKeyword(0xF4), "CSRLIN");
    EXPECT_FALSE(kc::basicKeyword(0xF5));
}

TEST(BasicTokens, ListExpandsTokensOutsideQuotesOnly) {
    const Bytes stored = {0xF5, 0x20, 0x22, 0xF5, 0x22, 0x20, 0x80, 0x20, 0x7F,
                          0x20, 0x01, 0x20, 0xFF, 0x20, 0xF4, 0x8E, 0x41};
    EXPECT_EQ(kc::listedText(stored), "\xF5 \"\xF5\" END \x7F \x01 \xFF CSRLINREMA");
    EXPECT_EQ(kc::listedText(Bytes{0x22, 0x80, 0x22, 0x80, 0x22, 0x80}), "\"\x80\"END\"\x80");
}

}  // namespace

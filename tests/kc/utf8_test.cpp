#include <gtest/gtest.h>

#include <string>
#include <string_view>

#include "utf8.h"

namespace {

std::span<const std::uint8_t> bytesOf(std::string_view text) {
    return {reinterpret_cast<const std::uint8_t*>(text.data()), text.size()};
}

// What one sequence decodes to; a surrogate decodes, but no text holding one
// is well-formed.
TEST(Utf8, DecodesOneSequenceInItsShortestForm) {
    const struct {
        std::string_view bytes;
        char32_t character;
        std::size_t length;
    } cases[] = {
        {"A\xC3", 'A', 1},           {"\xC3\x84\xC3", 0xC4, 2},         {"\xE2\x82\xAC", 0x20AC, 3},
        {"\xED\xA0\x80", 0xD800, 3}, {"\xF4\x8F\xBF\xBF", 0x10FFFF, 4},
    };
    for (const auto& c : cases) {
        const auto sequence = kc::decodeUtf8(bytesOf(c.bytes));
        ASSERT_TRUE(sequence) << c.bytes;
        EXPECT_EQ(sequence->character, c.character) << c.bytes;
        EXPECT_EQ(sequence->length, c.length) << c.bytes;
    }
    EXPECT_FALSE(kc::decodeUtf8({}));
    EXPECT_FALSE(kc::isValidUtf8("\xED\xA0\x80"));
}

TEST(Utf8, RejectsMalformedSequences) {
    for (const char* valid : {"", "abc", "\xC3\x84", "\xE2\x82\xAC", "\xF0\x9F\x98\x80",
                              "\xED\x9F\xBF", "\xF4\x8F\xBF\xBF"}) {
        EXPECT_TRUE(kc::isValidUtf8(valid)) << valid;
    }
    for (const char* invalid :
         {"\x80", "\xC3", "\xC3\x41", "\xC0\x80", "\xC1\xBF", "\xE0\x9F\xBF", "\xED\xA0\x80",
          "\xE2\x82", "\xF0\x8F\xBF\xBF", "\xF4\x90\x80\x80", "\xF5\x80\x80\x80", "\xFF"}) {
        EXPECT_FALSE(kc::isValidUtf8(invalid)) << invalid;
    }
}

TEST(Utf8Text, OnlyValidUtfEightWithAMultiByteSequenceCounts) {
    const auto convert = [](std::string_view text) { return kc::latin1FromUtf8(bytesOf(text)); };
    EXPECT_FALSE(convert("plain ASCII"));
    EXPECT_FALSE(convert("\xC0\xAF"));          // overlong '/'
    EXPECT_FALSE(convert("\xED\xA0\x80"));      // a surrogate
    EXPECT_FALSE(convert("\xF4\x90\x80\x80"));  // beyond U+10FFFF
    EXPECT_FALSE(convert("\xC3"));              // cut short
    EXPECT_EQ(convert("\xC3\xBF\xC4\x80\xF0\x9F\x98\x80"), "\xFF??");
    EXPECT_EQ(convert("\xEF\xBB\xBF"), "");
}

// Every Latin-1 byte from 0x80 up, written as UTF-8, reads back as itself.
TEST(Utf8Text, Latin1WrittenAsUtf8ReadsBack) {
    std::string latin1;
    for (int b = 0x80; b <= 0xFF; ++b) {
        latin1 += static_cast<char>(b);
    }
    const std::string utf8 = kc::latin1ToUtf8("A" + latin1);
    EXPECT_EQ(utf8.size(), 1 + 2 * latin1.size());
    EXPECT_EQ(kc::latin1FromUtf8(bytesOf(utf8)), "A" + latin1);
}

}  // namespace

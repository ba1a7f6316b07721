#include <gtest/gtest.h>

#include "latin1_case.h"

namespace {

using kcc::lowerLatin1;
using kcc::upperLatin1;

TEST(Latin1Case, LowersAsciiAndLatin1Capitals) {
    EXPECT_EQ(lowerLatin1("C:\\KC\\SPIEL.KCC"), "c:\\kc\\spiel.kcc");
    EXPECT_EQ(lowerLatin1(std::uint8_t{0xC4}), 0xE4);  // Ä -> ä
    EXPECT_EQ(lowerLatin1(std::uint8_t{0xC0}), 0xE0);
    EXPECT_EQ(lowerLatin1(std::uint8_t{0xDE}), 0xFE);
}

TEST(Latin1Case, LowerCasingTakesTheWholeCapitalRange) {
    EXPECT_EQ(lowerLatin1(std::uint8_t{0xD7}), 0xF7);  // the multiplication sign goes along
    EXPECT_EQ(lowerLatin1(std::uint8_t{0xDF}), 0xDF);  // sharp s stays
    EXPECT_EQ(lowerLatin1(std::uint8_t{0xF7}), 0xF7);
    EXPECT_EQ(lowerLatin1(std::uint8_t{0xFF}), 0xFF);
}

TEST(Latin1Case, LeavesEverythingElse) {
    for (int b = 0; b < 256; ++b) {
        const auto byte = static_cast<std::uint8_t>(b);
        const bool capital = (b >= 'A' && b <= 'Z') || (b >= 0xC0 && b <= 0xDE);
        const bool small = (b >= 'a' && b <= 'z') || b >= 0xE0;
        if (!capital) {
            EXPECT_EQ(lowerLatin1(byte), byte) << b;
        }
        if (!small) {
            EXPECT_EQ(upperLatin1(byte), byte) << b;
        }
    }
}

TEST(Latin1Case, UpperCasingTakesTheWholeSmallRange) {
    EXPECT_EQ(upperLatin1(".kcb"), ".KCB");
    EXPECT_EQ(upperLatin1(std::uint8_t{0xE4}), 0xC4);  // ä -> Ä
    EXPECT_EQ(upperLatin1(std::uint8_t{0xFF}), 0xDF);
    EXPECT_EQ(upperLatin1(std::uint8_t{0xF7}), 0xD7);
}

TEST(Latin1Case, TextKeepsItsZeroBytesAndLength) {
    const std::string text("A\0b", 3);
    EXPECT_EQ(lowerLatin1(text), std::string("a\0b", 3));
    EXPECT_EQ(upperLatin1(text), std::string("A\0B", 3));
}

}  // namespace

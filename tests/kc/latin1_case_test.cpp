#include <gtest/gtest.h>

#include "latin1_case.h"

namespace {

using kc::lowerLatin1;
using kc::upperLatin1;

// The capitals are A to Z and 0xC0 to 0xDE, the multiplication sign among
// them; the small letters a to z and 0xE0 to 0xFF: the division sign goes to
// the multiplication sign, sharp s has no capital, and y with diaeresis
// becomes 0xDF.
TEST(Latin1Case, MovesEachLetterAcrossItsRangeAndLeavesEverythingElse) {
    for (int b = 0; b < 256; ++b) {
        const auto byte = static_cast<std::uint8_t>(b);
        const bool capital = (b >= 'A' && b <= 'Z') || (b >= 0xC0 && b <= 0xDE);
        const bool small = (b >= 'a' && b <= 'z') || b >= 0xE0;
        EXPECT_EQ(lowerLatin1(byte), capital ? b + 0x20 : b) << b;
        EXPECT_EQ(upperLatin1(byte), small ? b - 0x20 : b) << b;
    }
}

TEST(Latin1Case, TextIsCasedByteByByteKeepingItsZeroBytes) {
    EXPECT_EQ(lowerLatin1("C:\\KC\\SPIEL.KCC"), "c:\\kc\\spiel.kcc");
    EXPECT_EQ(upperLatin1(".kcb"), ".KCB");
    const std::string text("A\0b", 3);
    EXPECT_EQ(lowerLatin1(text), std::string("a\0b", 3));
    EXPECT_EQ(upperLatin1(text), std::string("A\0B", 3));
}

}  // namespace

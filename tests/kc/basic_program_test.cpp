#include <gtest/gtest.h>

#include <variant>

#include "basic_program.h"

namespace {

using Bytes = std::vector<std::uint8_t>;

// 10 PRINT "HELLO" / 20 GOTO 10, as BASIC keeps it from 0401h.
const Bytes kHello = {0x0F, 0x04, 0x0A, 0x00, 0x9E, 0x20, 0x22, 0x48, 0x45, 0x4C, 0x4C, 0x4F, 0x22,
                      0x00, 0x18, 0x04, 0x14, 0x00, 0x88, 0x20, 0x31, 0x30, 0x00, 0x00, 0x00};

const kc::BasicProgram kHelloProgram{
    {{10, {0x9E, 0x20, 0x22, 0x48, 0x45, 0x4C, 0x4C, 0x4F, 0x22}}, {20, {0x88, 0x20, 0x31, 0x30}}}};

TEST(BasicProgram, ImageLinksEachLineToTheNextAndEndsInAZeroLink) {
    EXPECT_EQ(kc::programImage(kHelloProgram), kHello);
    EXPECT_EQ(kc::programImageSize(kHelloProgram), kHello.size());
    EXPECT_EQ(kc::programImage({}), (Bytes{0, 0}));
}

TEST(BasicProgram, ReadsLinesByTheirZeroBytesWhateverTheLinksSay) {
    Bytes elsewhere = kHello;  // saved by a BASIC at 2C01h, with a tail after it
    elsewhere[1] = 0x2C;
    elsewhere[15] = 0x2C;
    elsewhere.insert(elsewhere.end(), {0x03, 0xAA});
    for (const Bytes& image : {kHello, elsewhere}) {
        const auto read = kc::readProgramImage(image, "x");
        ASSERT_TRUE(std::holds_alternative<kc::BasicProgram>(read));
        EXPECT_EQ(std::get<kc::BasicProgram>(read), kHelloProgram);
    }
}

TEST(BasicProgram, RefusesAnImageCutShortOrTooLongForBasic) {
    const struct {
        Bytes image;
        kc::ErrorKind kind;
        std::string detail;
    } cases[] = {
        {{}, kc::ErrorKind::Malformed, "without its closing link"},
        {Bytes(kHello.begin(), kHello.end() - 1), kc::ErrorKind::Malformed, "closing link"},
        {Bytes(kHello.begin(), kHello.begin() + 10), kc::ErrorKind::Malformed,
         "line 10 has no zero"},
        {Bytes(kHello.begin(), kHello.begin() + 16), kc::ErrorKind::Malformed, "inside the line"},
        {kc::programImage({{{10, Bytes(kc::kLargestBasicProgram, 'A')}}}), kc::ErrorKind::TooLong,
         "bytes are more than"},
    };
    for (const auto& c : cases) {
        const auto read = kc::readProgramImage(c.image, "GAME.SSS");
        ASSERT_TRUE(std::holds_alternative<kc::Error>(read)) << c.detail;
        const kc::Error& error = std::get<kc::Error>(read);
        EXPECT_EQ(error.kind, c.kind);
        EXPECT_EQ(error.subject, "GAME.SSS");
        EXPECT_NE(error.detail.find(c.detail), std::string::npos) << error.detail;
    }
}

}  // namespace

#include <gtest/gtest.h>

#include <variant>

#include "sss.h"

namespace {

using Bytes = std::vector<std::uint8_t>;

// 10 PRINT "HELLO" / 20 GOTO 10.
const kc::BasicProgram kHello{
    {{10, {0x9E, 0x20, 0x22, 0x48, 0x45, 0x4C, 0x4C, 0x4F, 0x22}}, {20, {0x88, 0x20, 0x31, 0x30}}}};

TEST(Sss, WritesTheProgramAsCsaveDoes) {
    Bytes expected = {0x19, 0x00, 0x0F, 0x04, 0x0A, 0x00, 0x9E, 0x20, 0x22, 0x48,
                      0x45, 0x4C, 0x4C, 0x4F, 0x22, 0x00, 0x18, 0x04, 0x14, 0x00,
                      0x88, 0x20, 0x31, 0x30, 0x00, 0x00, 0x00, 0x03};
    expected.resize(128);
    EXPECT_EQ(kc::writeSss(kHello), expected);
}

TEST(Sss, ReadsThePlainFileAndTheOneWithItsTapeHeader) {
    const kc::BasicFile plain{"", false, kHello};
    const kc::BasicFile named{"HELLO", true, kHello};
    for (const auto& [bytes, file] :
         {std::pair{kc::writeSss(kHello), plain}, std::pair{kc::tapeBasicFile(named), named}}) {
        const auto read = kc::readSss(bytes, "HELLO.SSS");
        ASSERT_TRUE(std::holds_alternative<kc::BasicFile>(read))
            << std::get<kc::Error>(read).detail;
        EXPECT_EQ(std::get<kc::BasicFile>(read), file);
    }
}

TEST(Sss, RefusesWhatHoldsNoProgram) {
    Bytes hello = kc::writeSss(kHello);
    Bytes tape = kc::tapeBasicFile({"", false, kHello});
    Bytes longer = hello;
    longer[0] = 0x7F;  // L = 007Fh of the 128 bytes: one past the end
    const struct {
        Bytes file;
        kc::ErrorKind kind;
        std::string detail;
    } cases[] = {
        {{}, kc::ErrorKind::TooShort, "fewer than the 2"},
        {Bytes(tape.begin(), tape.begin() + 12), kc::ErrorKind::TooShort, "tape header"},
        {longer, kc::ErrorKind::Malformed,
         "length of 127 bytes runs past the end of the file, "
         "which has 126"},
        {{0x02, 0x00, 0x01, 0x00}, kc::ErrorKind::Malformed, "inside the line"},
        {Bytes{0xD4, 0xD4, 0xD4}, kc::ErrorKind::WrongKind, "data array"},
        {Bytes{0xD9, 0xD9, 0xD9, 0, 0}, kc::ErrorKind::WrongKind,
         "listing as text saved protected"},
    };
    for (const auto& c : cases) {
        const auto read = kc::readSss(c.file, "GAME.SSS");
        ASSERT_TRUE(std::holds_alternative<kc::Error>(read)) << c.detail;
        const kc::Error& error = std::get<kc::Error>(read);
        EXPECT_EQ(error.kind, c.kind) << c.detail;
        EXPECT_EQ(error.subject, "GAME.SSS");
        EXPECT_NE(error.detail.find(c.detail), std::string::npos) << error.detail;
    }
}

}  // namespace

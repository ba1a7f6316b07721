#include <gtest/gtest.h>

#include <algorithm>
#include <variant>

#include "kcb.h"
#include "kcc_header.h"

namespace {

using Bytes = std::vector<std::uint8_t>;

const kc::BasicProgram kHello{
    {{10, {0x9E, 0x20, 0x22, 0x48, 0x45, 0x4C, 0x4C, 0x4F, 0x22}}, {20, {0x88, 0x20, 0x31, 0x30}}}};

// A KCB loading at `load` (up to 0401h): filler up to 0401h, the program,
// then `tail`, padded to a multiple of 128.
Bytes kcb(std::uint16_t load, const Bytes& tail = {}) {
    Bytes image(0x0401 - load, 0xAA);
    const Bytes program = kc::programImage(kHello);
    image.insert(image.end(), program.begin(), program.end());
    image.insert(image.end(), tail.begin(), tail.end());
    const auto end = static_cast<std::uint16_t>(load + image.size());
    const auto header = kc::makeKccHeader("game", {load, end, 2, 0});
    Bytes file((128 + image.size() + 127) / 128 * 128);
    std::copy(header.begin(), header.end(), file.begin());
    std::copy(image.begin(), image.end(), file.begin() + 128);
    return file;
}

TEST(Kcb, ReadsTheProgramAt0401hWhateverLiesAroundIt) {
    for (const Bytes& file : {kcb(0x0300), kcb(0x0401), kcb(0x0400, {0xCD, 0x00, 0x00})}) {
        const auto read = kc::readKcb(file, "GAME.KCB");
        ASSERT_TRUE(std::holds_alternative<kc::BasicFile>(read))
            << std::get<kc::Error>(read).detail;
        EXPECT_EQ(std::get<kc::BasicFile>(read), (kc::BasicFile{"GAME", false, kHello}));
    }
}

TEST(Kcb, RefusesAFileWithoutAWholeProgramAt0401h) {
    const Bytes header = kcb(0x0401);
    Bytes high = header;
    high[17] = 0x02;  // load 0402h
    Bytes low = header;
    low[17] = 0x00;
    low[18] = 0x02;  // load 0200h, end 041Ah
    low[19] = 0x01;
    low[20] = 0x04;  // end 0401h
    Bytes cut = kcb(0x0300);
    cut.resize(128 + 0x0101 + 20);
    Bytes unended = header;
    unended[128 + 23] = 0x01;  // the closing link
    const struct {
        Bytes file;
        kc::ErrorKind kind;
        std::string detail;
    } cases[] = {
        {Bytes(header.begin(), header.begin() + 127), kc::ErrorKind::TooShort,
         "fewer than the 128"},
        {high, kc::ErrorKind::WrongKind, "memory image (load address 0402h"},
        {low, kc::ErrorKind::WrongKind, "holds no BASIC program at 0401h"},
        {cut, kc::ErrorKind::Malformed, "the file ends 5 bytes before"},
        {unended, kc::ErrorKind::Malformed, "inside the line"},
    };
    for (const auto& c : cases) {
        const auto read = kc::readKcb(c.file, "GAME.KCB");
        ASSERT_TRUE(std::holds_alternative<kc::Error>(read)) << c.detail;
        const kc::Error& error = std::get<kc::Error>(read);
        EXPECT_EQ(error.kind, c.kind) << c.detail;
        EXPECT_EQ(error.subject, "GAME.KCB");
        EXPECT_NE(error.detail.find(c.detail), std::string::npos) << error.detail;
    }
}

}  // namespace

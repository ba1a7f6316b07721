#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <string_view>

#include "kcc_header.h"

namespace {

std::array<std::uint8_t, 128> headerWith(std::uint8_t b17, std::uint8_t b18, std::uint8_t b19,
                                         std::uint8_t b20) {
    std::array<std::uint8_t, 128> header{};
    header.fill(0xAA);
    header[17] = b17;
    header[18] = b18;
    header[19] = b19;
    header[20] = b20;
    return header;
}

TEST(KccHeader, ReadsAddressesLeastSignificantByteFirstAndLengthNeverNegative) {
    struct Case {
        std::array<std::uint8_t, 4> bytes;  // header bytes 17 to 20
        std::int32_t load;
        std::int32_t end;
        std::int32_t length;
    };
    const Case cases[] = {
        {{0x00, 0x03, 0x00, 0x05}, 0x300, 0x500, 512},
        {{0x00, 0x00, 0x00, 0xE0}, 0, 0xE000, 0xE000},  // the whole RAM below the ROM
        {{0x00, 0x00, 0xFF, 0xFF}, 0, 0xFFFF, 0xFFFF},
        {{0x00, 0x05, 0x00, 0x03}, 0x500, 0x300, 0},
        {{0x00, 0x05, 0x00, 0x05}, 0x500, 0x500, 0},
        {{0xFF, 0xFF, 0x00, 0x00}, 0xFFFF, 0, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(::testing::PrintToString(c.bytes));
        const auto header =
            kc::readKccHeader(headerWith(c.bytes[0], c.bytes[1], c.bytes[2], c.bytes[3]));
        ASSERT_TRUE(header);
        EXPECT_EQ(header->loadAddress, c.load);
        EXPECT_EQ(header->endAddress, c.end);
        EXPECT_EQ(header->imageLength(), c.length);
    }
}

TEST(KccHeader, StartAddressOnlyWithThreeAddresses) {
    auto bytes = headerWith(0, 3, 0, 5);
    bytes[21] = 0x34;
    bytes[22] = 0x12;
    for (const auto& [count, start] :
         {std::pair<std::uint8_t, std::optional<std::uint16_t>>{2, std::nullopt},
          {3, 0x1234},
          {4, 0x1234}}) {
        bytes[16] = count;
        EXPECT_EQ(kc::readKccHeader(bytes)->start(), start) << int{count};
    }
}

TEST(KccHeader, NeedsAWholeHeader) {
    const std::array<std::uint8_t, 127> shortHeader{};
    EXPECT_FALSE(kc::readKccHeader(shortHeader));
    EXPECT_FALSE(kc::readKccHeader({}));
}

// The name in capitals, cut or padded to eight, then the type and the two
// addresses; every other byte zero.
TEST(KccHeader, IsMadeAsTheKcWritesOne) {
    const struct {
        const char* name;
        std::string_view nameField;
    } cases[] = {{"upload1", "UPLOAD1 "}, {"upload123", "UPLOAD12"}, {"", "        "}};
    for (const auto& c : cases) {
        const auto header = kc::makeKccHeader(c.name, {0x0300, 0xE000});
        std::array<std::uint8_t, 128> expected{};
        std::copy(c.nameField.begin(), c.nameField.end(), expected.begin());
        std::copy_n("KCC", 3, expected.begin() + 8);
        expected[16] = 2;
        expected[18] = 0x03;
        expected[20] = 0xE0;
        EXPECT_EQ(header, expected) << c.name;
    }
}

}  // namespace

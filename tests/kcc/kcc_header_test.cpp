#include <gtest/gtest.h>

#include <array>
#include <fstream>
#include <iterator>
#include <vector>

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

TEST(KccHeader, ReadsAddressesLeastSignificantByteFirst) {
    const auto header = kcc::readKccHeader(headerWith(0x00, 0x03, 0x00, 0x05));
    ASSERT_TRUE(header);
    EXPECT_EQ(header->loadAddress, 0x300);
    EXPECT_EQ(header->endAddress, 0x500);
    EXPECT_EQ(header->imageLength(), 512);
}

TEST(KccHeader, WholeRamBelowRom) {
    const auto header = kcc::readKccHeader(headerWith(0x00, 0x00, 0x00, 0xE0));
    ASSERT_TRUE(header);
    EXPECT_EQ(header->loadAddress, 0);
    EXPECT_EQ(header->endAddress, 0xE000);
    EXPECT_EQ(header->imageLength(), 0xE000);
}

TEST(KccHeader, LengthIsNeverNegative) {
    EXPECT_EQ(kcc::readKccHeader(headerWith(0x00, 0x05, 0x00, 0x03))->imageLength(), 0);
    EXPECT_EQ(kcc::readKccHeader(headerWith(0x00, 0x05, 0x00, 0x05))->imageLength(), 0);
    EXPECT_EQ(kcc::readKccHeader(headerWith(0xFF, 0xFF, 0x00, 0x00))->imageLength(), 0);
}

TEST(KccHeader, FullRangeOfAddresses) {
    const auto header = kcc::readKccHeader(headerWith(0x00, 0x00, 0xFF, 0xFF));
    EXPECT_EQ(header->imageLength(), 0xFFFF);
}

TEST(KccHeader, NeedsAWholeHeader) {
    const std::array<std::uint8_t, 127> shortHeader{};
    EXPECT_FALSE(kcc::readKccHeader(shortHeader));
    EXPECT_FALSE(kcc::readKccHeader({}));
}

TEST(KccHeader, RealFileFromTheKcWorld) {
    std::ifstream in(TEST_DATA_DIR "/BINLOAD.KCC", std::ios::binary);
    const std::vector<std::uint8_t> bytes{std::istreambuf_iterator<char>(in), {}};
    ASSERT_EQ(bytes.size(), 640u);
    const auto header = kcc::readKccHeader(bytes);
    ASSERT_TRUE(header);
    EXPECT_EQ(header->loadAddress, 0x200);
    EXPECT_EQ(header->endAddress, 0x3BB);
    EXPECT_EQ(header->imageLength(), 443);
}

}  // namespace

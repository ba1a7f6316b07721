#include <gtest/gtest.h>

#include <string_view>
#include <variant>

#include "kc85.h"
#include "memory_sender.h"

namespace {

using Bytes = std::vector<std::uint8_t>;

TEST(MemorySender, RoutineFitsTheCassetteBufferWithItsAddressAndLengthAtItsEnd) {
    EXPECT_EQ(kc::memorySenderAddress(), 0xB700);
    EXPECT_LE(kc::memorySenderAddress() + kc::memorySenderSize(), 0xB780u);
    const Bytes code = kc::memorySenderCode(0x1234, 0xABCD);
    ASSERT_EQ(code.size(), kc::memorySenderSize());
    EXPECT_EQ(Bytes(code.end() - 7, code.end()), (Bytes{'K', 'C', 'D', 0x34, 0x12, 0xCD, 0xAB}));
}

TEST(MemorySender, FrameCarriesTheBytesOnlyWhenWholeAsAskedAndItsCrcAgrees) {
    constexpr std::string_view check = "123456789";
    EXPECT_EQ(kc::crc16Ccitt(Bytes(check.begin(), check.end())), 0x29B1);  // CRC-16/CCITT

    const Bytes data = {0x11, 0x13, 0x00, 0xFF};
    const Bytes frame = kc::memoryFrame(0x4000, data);
    ASSERT_EQ(frame.size(), kc::memoryFrameSize(4));
    const auto read = kc::readMemoryFrame(frame, 0x4000, 4, "COM2");
    ASSERT_TRUE(std::holds_alternative<Bytes>(read));
    EXPECT_EQ(std::get<Bytes>(read), data);

    Bytes garbled = frame;
    garbled[8] ^= 0x20;
    const struct {
        Bytes frame;
        std::uint16_t from;
        kc::ErrorKind kind;
    } cases[] = {
        {Bytes(frame.begin(), frame.end() - 1), 0x4000, kc::ErrorKind::Malformed},
        {frame, 0x4001, kc::ErrorKind::Malformed},
        {Bytes(frame.size(), 0), 0x4000, kc::ErrorKind::Malformed},
        {garbled, 0x4000, kc::ErrorKind::BadChecksum},
    };
    for (const auto& c : cases) {
        const auto refused = kc::readMemoryFrame(c.frame, c.from, 4, "COM2");
        ASSERT_TRUE(std::holds_alternative<kc::Error>(refused));
        EXPECT_EQ(std::get<kc::Error>(refused).kind, c.kind);
    }
    EXPECT_EQ(kc::memoryFrameSize(0), 0x10000u + 9);  // a length of 0 stands for 64 KiB
}

}  // namespace

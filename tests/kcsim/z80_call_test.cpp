// ESC U: the sender's real memory routine run on the virtual KC, and code
// that misbehaves ended within its bound.
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "kc_feed.h"
#include "memory_sender.h"
#include "virtual_kc.h"
#include "z80_call.h"

namespace kcsim {
namespace {

using testing::Bytes;
using testing::feed;
using testing::memoryWrite;

TEST(EscU, RunsTheSendersMemoryRoutineWhoseFrameCarriesTheMemory) {
    const struct {
        std::uint16_t from;
        std::uint16_t count;
    } cases[] = {{0x0200, 443}, {0xFFF0, 0x20}, {0x0400, 0xFC00}};  // not the call's stack
    for (const auto& test : cases) {
        VirtualKc kc;
        Bytes image(443);
        for (std::size_t i = 0; i < image.size(); ++i) {
            image[i] = static_cast<std::uint8_t>(i * 7);
        }
        const std::string out = feed(kc, {memoryWrite(0x0200, image),
                                          memoryWrite(kc::memorySenderAddress(),
                                                      kc::memorySenderCode(test.from, test.count)),
                                          testing::startAt(kc::memorySenderAddress())});
        const auto read = kc::readMemoryFrame(kc.takeSent(), test.from, test.count, "frame");
        ASSERT_TRUE(std::holds_alternative<Bytes>(read))
            << std::get<kc::Error>(read).describe() << "\n"
            << out;
        const Bytes& memory = std::get<Bytes>(read);
        for (std::size_t i = 0; i < memory.size(); ++i) {
            ASSERT_EQ(memory[i], kc.memory()[(test.from + i) & 0xFFFF])
                << std::hex << test.from << " " << i;
        }
        EXPECT_EQ(kc.tally().calls, 1u);
        EXPECT_EQ(kc.tally().unreturned, 0u) << out;
    }
}

TEST(EscU, EndsCodeThatDoesNotReturnAndAnswersTheSioAsTheRoutineNeeds) {
    constexpr std::uint64_t kLimit = 10'000;
    const struct {
        const char* what;
        Bytes code;
        Call::End end;
        Bytes sent;
    } cases[] = {
        {"a loop", {0x18, 0xFE}, Call::End::Unended, {}},
        {"HALT", {0x76}, Call::End::Unended, {}},
        {"a call into CAOS", {0xCD, 0x03, 0xF0}, Call::End::IntoRom, {}},
        {"OUT (09h) whatever the high byte",
         {0x3E, 0x41, 0xD3, 0x09, 0xC9},
         Call::End::Returned,
         {0x41}},
        {"RR0, RR1, another port",
         {0xDB, 0x0B, 0xD3, 0x09, 0x3E, 0x01, 0xD3, 0x0B, 0xDB, 0x0B, 0xD3, 0x09, 0xDB, 0x08, 0xD3,
          0x09, 0xC9},
         Call::End::Returned,
         {0x04, 0x01, 0xFF}},
        {"a write to the ROM",
         {0x3E, 0x55, 0x32, 0x00, 0xE0, 0x3A, 0x00, 0xE0, 0xD3, 0x09, 0xC9},
         Call::End::Returned,
         {0x00}},
    };
    for (const auto& test : cases) {
        MemoryWrite::Memory memory{};
        std::copy(test.code.begin(), test.code.end(), memory.begin() + 0x4000);
        const Call call = callCode(memory, 0x4000, kLimit);
        EXPECT_EQ(call.end, test.end) << test.what;
        EXPECT_EQ(call.sent, test.sent) << test.what;
        if (test.end == Call::End::Unended) {
            EXPECT_GE(call.tStates, kLimit) << test.what;
            EXPECT_LT(call.tStates, kLimit + 25) << test.what;
        }
        if (test.end == Call::End::IntoRom) {
            EXPECT_EQ(call.at, 0xF003) << test.what;
        }
    }
}

}  // namespace
}  // namespace kcsim

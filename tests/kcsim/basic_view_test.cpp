// What the virtual KC shows after a BASIC program's memory writes, fed byte
// by byte a second apart, so that pace never matters.
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "basic_listing.h"
#include "basic_program.h"
#include "basic_view.h"
#include "kc_feed.h"
#include "utf8.h"
#include "virtual_kc.h"

namespace kcsim {
namespace {

using testing::Bytes;
using testing::endPointers;
using testing::feed;
using testing::memoryWrite;

TEST(BasicView, ShowsAProgramLoadedAsTheSenderLoadsItAsItsListing) {
    const auto read = kc::programFromListing("10 PRINT \"HALL\xD6\"\n20 GOTO 10\n", "test");
    ASSERT_TRUE(std::holds_alternative<kc::BasicProgram>(read));
    const kc::BasicProgram& program = std::get<kc::BasicProgram>(read);
    const Bytes image = kc::programImage(program);

    VirtualKc kc;
    const std::string out =
        feed(kc, {memoryWrite(kc::kBasicProgramStart, image),
                  memoryWrite(kc::kBasicEndPointers,
                              endPointers(static_cast<std::uint16_t>(0x0401 + image.size())))});

    std::string listing = "[BASIC] 2 lines, " + std::to_string(image.size()) + " bytes\n";
    for (const std::string& line : kc::listedLines(program)) {
        listing += kc::latin1ToUtf8(line) + "\n";
    }
    const auto pointers = out.find("[ESC T] address 03D7");
    ASSERT_NE(pointers, std::string::npos) << out;
    EXPECT_EQ(out.substr(out.find('\n', pointers) + 1), listing);
    EXPECT_NE(listing.find("HALL\xC3\x96"), std::string::npos) << listing;
    EXPECT_EQ(kc.tally().basicLoads, 1u);
    EXPECT_EQ(kc.tally().basicNoProgram, 0u);
}

TEST(BasicView, SaysWhyTheMemoryHoldsNoProgram) {
    const struct {
        const char* what;
        Bytes image;
        std::uint16_t end;
    } cases[] = {
        {"an end pointer at the start", {}, 0x0401},
        {"an end pointer below the start", {}, 0x0000},
        {"a line with no zero byte", {0x10, 0x04, 0x0A, 0x00, 'A', 'B'}, 0x0407},
    };
    for (const auto& test : cases) {
        VirtualKc kc;
        const std::string out =
            feed(kc, {memoryWrite(kc::kBasicProgramStart, test.image),
                      memoryWrite(kc::kBasicEndPointers, endPointers(test.end))});
        const auto error = std::get<kc::Error>(kc::readProgramImage(test.image, ""));
        const auto at = out.find("[BASIC] no program: ");
        ASSERT_NE(at, std::string::npos) << test.what << ": " << out;
        EXPECT_NE(out.find(error.detail + "\n", at), std::string::npos) << test.what << ": " << out;
        EXPECT_EQ(kc.tally().basicNoProgram, 1u) << test.what;
    }
}

TEST(BasicView, TakesAnUploadForALoadWhenItWroteTheWholeEndPointer) {
    const struct {
        std::uint16_t address;
        std::size_t length;
        bool writesEnd;
    } cases[] = {
        {0x03D7, 6, true},    {0x03D7, 2, true},      {0x03D7, 1, false},
        {0x03D8, 5, false},   {0x03D6, 2, false},     {0x0300, 0x0200, true},
        {0x0401, 100, false}, {0xFF00, 0x04D9, true}, {0xFF00, 0x04D8, false},
    };
    for (const auto& test : cases) {
        const Upload upload{test.address, static_cast<std::uint16_t>(test.length),
                            Bytes(test.length)};
        EXPECT_EQ(writesBasicEnd(upload), test.writesEnd)
            << std::hex << test.address << " " << test.length;
    }
}

}  // namespace
}  // namespace kcsim

// The virtual KC's states and BASIC as a sender meets them: which typed
// lines move the KC where, what a line typed into BASIC stores, and what
// LIST#3 sends back, for typed and uploaded programs alike.
#include <optional>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "basic_listing.h"
#include "basic_memory.h"
#include "kc_feed.h"
#include "list_answer.h"
#include "list_output.h"
#include "virtual_kc.h"

namespace kcsim {
namespace {

using testing::Bytes;
using testing::feed;
using testing::keys;
using testing::memoryWrite;

const char* placeName(Place place) {
    switch (place) {
        case Place::CaosPrompt:
            return "CAOS";
        case Place::Modify:
            return "MODIFY";
        case Place::MemoryEnd:
            return "MEMORY END";
        case Place::Basic:
            return "BASIC";
    }
    return "?";
}

TEST(KcStates, FollowTheLinesTypedAsCaosAndBasicReadThem) {
    const struct {
        const char* typed;
        bool commandState;
        Place place;
    } cases[] = {
        {"", true, Place::CaosPrompt},
        {"BASIC\r", false, Place::CaosPrompt},  // discarded; the CR switches to the keyboard
        {"\rBASIC\r", false, Place::MemoryEnd},
        {"\rBASIC\r\r", false, Place::Basic},
        {"\rBASIC\r\rBYE\r", false, Place::CaosPrompt},
        {"\rREBASIC\r", false, Place::Basic},
        {"\rbasic\r", false, Place::CaosPrompt},
        {"\r BASIC \r", false, Place::MemoryEnd},
        {"\rBASIC\r\rDOKE 482,-1305:NEW\r", true, Place::Basic},
        {"\rBASIC\r\r\ndoke482 , -1305\r", true, Place::Basic},
        {"\rBASIC\r\rDOKE 482,64231\r", true, Place::Basic},
        {"\rBASIC\r\rDOKE 482,-1306\r", false, Place::Basic},
        {"\rBASIC\r\rPRINT 1:DOKE 482,-1305\r", true, Place::Basic},
        {"\rBASIC\r\rREM:DOKE 482,-1305\r", false, Place::Basic},
        {"\rBASIC\r\rDOKE 482,-1305\rBYE\r", false, Place::Basic},  // BYE discarded
        {"\rDOKE 482,-1305\r", false, Place::CaosPrompt},
        {"\rMODIFY 1E2\rE7 FA.\r", true, Place::CaosPrompt},
        {"\rMODIFY 1E1\r00\rE7 FA.\r", true, Place::CaosPrompt},
        {"\rMODIFY 1E2\rE7 FA\r", true, Place::Modify},
        {"\rMODIFY 1E2\re7 fa.\r", false, Place::Modify},
        {"\rBASIC\r\rMODIFY 1E2\rE7 FA.\r", false, Place::Basic},
        {"\rBASIC\r\rBYE\rMODIFY 1E2\rE7 FA.\r", true, Place::CaosPrompt},
    };
    for (const auto& test : cases) {
        VirtualKc kc;
        feed(kc, {keys(test.typed)});
        EXPECT_EQ(inCommandState(kc.memory()), test.commandState) << test.typed;
        EXPECT_STREQ(placeName(kc.place()), placeName(test.place)) << test.typed;
    }
}

TEST(KcStates, TakeEscTAndEscUAsKeysInTheKeyboardModeUntilReset) {
    VirtualKc kc;
    const std::string out =
        feed(kc, {keys("\r"), memoryWrite(0x4000, {1, 2, 3}), testing::startAt(0x4000)});
    EXPECT_EQ(kc.tally().uploads, 0u);
    EXPECT_EQ(kc.tally().calls, 0u);
    EXPECT_EQ(kc.stateWarnings().escapesAsKeys, 2u);
    EXPECT_EQ(kc.memory()[0x4000], 0) << out;
    EXPECT_NE(out.find("<1B>T<00>@[BRK]<00>"), std::string::npos) << out;

    std::string reset;
    kc.reset(reset);
    feed(kc, {memoryWrite(0x4000, {1, 2, 3})});
    EXPECT_EQ(kc.tally().uploads, 1u);
    EXPECT_EQ(kc.memory()[0x4000], 1);
    EXPECT_EQ(kc.place(), Place::CaosPrompt);
}

TEST(KcStates, DiscardKeysInTheCommandState) {
    VirtualKc kc;
    feed(kc, {keys("BASIC"), {kc::kEscape, 'X'}, keys("\r")});
    EXPECT_EQ(kc.stateWarnings().discarded, 7u);
    EXPECT_EQ(kc.tally().lines, 1u);
    EXPECT_FALSE(inCommandState(kc.memory()));
}

kc::BasicProgram programOf(const std::string& listing) {
    return std::get<kc::BasicProgram>(kc::programFromListing(listing, "test"));
}

TEST(KcBasic, ListsTheProgramItHoldsOnTheLineForListTo3) {
    const std::string program = "10 PRINT \"HALLO\"\n20 GOTO 10\n";
    const Bytes image = kc::programImage(programOf(program));
    const auto end = static_cast<std::uint16_t>(kc::kBasicProgramStart + image.size());
    const struct {
        const char* what;
        std::vector<Bytes> steps;
        std::optional<std::string> listing;  // nothing when nothing is sent
    } cases[] = {
        {"typed, with lines replaced and deleted",
         {keys("\rBASIC\r\r20 GOTO 1\r10 PRINT \"HALLO\"\r30 A=1\r20 GOTO 10\r30\r40\r"
               "list#3\"x\"\r")},
         program},
        {"uploaded as the sender loads it",
         {keys("\rBASIC\r\rDOKE 482,-1305:NEW\r"), memoryWrite(kc::kBasicProgramStart, image),
          memoryWrite(kc::kBasicEndPointers, testing::endPointers(end)), keys("\rLIST#3\"X\"\r")},
         program},
        {"cleared by NEW", {keys("\rBASIC\r\r10 A=1\rNEW\rLIST #3 \"X\"\r")}, ""},
        {"at the CAOS prompt", {keys("\rBASIC\r\r10 A=1\rBYE\rLIST#3\"X\"\r")}, std::nullopt},
        {"protected", {keys("\rBASIC\r\r10 A=1\rDOKE 861,54016\rLIST#3\"X\"\r")}, std::nullopt},
    };
    for (const auto& test : cases) {
        VirtualKc kc;
        const std::string out = feed(kc, test.steps);
        const Bytes sent = kc.takeSent();
        if (!test.listing) {
            EXPECT_TRUE(sent.empty()) << test.what << ": " << out;
            continue;
        }
        const kc::BasicProgram expected = programOf(*test.listing);
        EXPECT_EQ(sent, listAnswer(expected)) << test.what << ": " << out;
        const auto held = readBasicProgram(kc.memory());
        ASSERT_TRUE(std::holds_alternative<kc::BasicProgram>(held)) << test.what;
        EXPECT_EQ(std::get<kc::BasicProgram>(held), expected) << test.what;
        EXPECT_EQ(kc.tally().listings, 1u) << test.what;
    }
}

TEST(ListAnswer, FramesAProgramAsTheKcSentIt) {
    // What the KC 85/4's firmware sent for LIST#3 of this program.
    Bytes framing{0x0D, 0x0A, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0};
    Bytes expected = framing;
    for (const char c : std::string("20 GOTO 10")) {
        expected.push_back(static_cast<std::uint8_t>(c));
    }
    expected.insert(expected.end(), framing.begin(), framing.end());
    expected.push_back(0x03);
    EXPECT_EQ(listAnswer(programOf("20 GOTO 10\n")), expected);

    framing.push_back(0x03);
    EXPECT_EQ(listAnswer({}), framing);
    EXPECT_TRUE(kc::readListOutput(framing).ended);
}

}  // namespace
}  // namespace kcsim

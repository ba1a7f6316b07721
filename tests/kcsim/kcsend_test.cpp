// kcsim and kcsend, both the built programs, on one pseudo-terminal line:
// what kcsend sends is what kcsim shows and stores. Bytes and order only.
#include <algorithm>
#include <fstream>
#include <iostream>
#include <regex>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "basic_listing.h"
#include "kcc_header.h"
#include "kcsim_process.h"
#include "kcsim_test_support.h"

namespace kcsim::testing {
namespace {

// Runs kcsend to its end; its exit status, -1 when it did not exit.
morvale::testing::RunResult kcsend(const std::string& device, std::vector<std::string> arguments) {
    arguments.insert(arguments.begin(), {"-p", device, "-q"});
    auto ended = morvale::testing::runProgram({.program = KCSEND_BINARY, .args = arguments});
    std::cerr << ended.err;
    return ended;
}

// The third line runs past the 40th character, where the KC needs a long
// pause too.
const std::string kListing =
    "10 PRINT \"HALLO\"\r\n20 GOTO 10\r\n30 REM A LINE THAT WRAPS AT THE 40TH CHARACTER\r\n";
const std::vector<std::string> kListingLines{"", "10 PRINT \"HALLO\"", "20 GOTO 10",
                                             "30 REM A LINE THAT WRAPS AT THE 40TH CHARACTER"};

TEST(KcsimWithKcsend, DiscardsACommandTypedAtPowerOnAndShowsTheKeysAfterItByName) {
    KcsimProcess kcsim({});
    EXPECT_EQ(kcsend(kcsim.devicePath(), {"type", "list", "ä"}).exitCode, 0);
    EXPECT_EQ(kcsend(kcsim.devicePath(), {"key", "F1", "F2", "F3", "F4", "F5", "F6", "BRK", "STOP",
                                          "INS", "DEL", "CLR", "HOME"})
                  .exitCode,
              0);
    EXPECT_EQ(kcsend(kcsim.devicePath(), {"type", ""}).exitCode, 0);
    ASSERT_TRUE(kcsim.waitForOutput("[HOME]\n"));

    const std::string output = kcsim.interrupt();
    EXPECT_EQ(screenLines(output),
              (std::vector<std::string>{
                  "LIST Ä", "[F1][F2][F3][F4][F5][F6][BRK][STOP][INS][DEL][CLR][HOME]"}))
        << output;
    EXPECT_EQ(summaryCount(output, "keys? discarded in the command state"), 6u) << output;
}

// What kcsim showed of kListing, typed by kcsend with the options given.
std::string typedListing(const std::vector<std::string>& options) {
    const ScratchDir dir;
    std::ofstream(dir / "prog.bas", std::ios::binary) << kListing;
    KcsimProcess kcsim({});
    std::vector<std::string> arguments = options;
    arguments.insert(arguments.end(), {"text", dir / "prog.bas"});
    EXPECT_EQ(kcsend(kcsim.devicePath(), arguments).exitCode, 0);
    EXPECT_TRUE(kcsim.waitForOutput("CHARACTER\n"));
    const std::string output = kcsim.interrupt();
    EXPECT_EQ(screenLines(output), kListingLines) << output;
    return output;
}

TEST(KcsimWithKcsendTiming, ShowsAListingTypedWithTheDefaultPausesWithoutWarnings) {
    const std::string output = typedListing({});
    EXPECT_EQ(summaryCount(output, "warnings?"), 0u) << output;
}

TEST(KcsimWithKcsend, WarnsOfEachLineAndWrapOfAListingTypedWithShortPauses) {
    const std::string output = typedListing({"--short-pauses"});
    // Each CR but the last is followed by a line; 50 ms is far below both needs.
    EXPECT_EQ(summaryCount(output, "lines? too soon after CR"), kListingLines.size() - 1) << output;
    EXPECT_EQ(summaryCount(output, "characters? < 300 ms after a line's 40th"), 1u) << output;
}

TEST(KcsimWithKcsendTiming, ShowsAProgramLoadedWithBasicAsItsListingWithoutWarnings) {
    const ScratchDir dir;
    std::ofstream(dir / "prog.bas", std::ios::binary) << kListing;
    KcsimProcess kcsim({});
    EXPECT_EQ(kcsend(kcsim.devicePath(), {"basic", dir / "prog.bas"}).exitCode, 0);
    ASSERT_TRUE(kcsim.waitForOutput("CHARACTER\n"));

    const std::string output = kcsim.interrupt();
    std::vector<std::string> lines = screenLines(output);
    const auto heading = std::find_if(lines.begin(), lines.end(), [](const std::string& line) {
        return line.starts_with("[BASIC] ");
    });
    ASSERT_NE(heading, lines.end()) << output;
    const auto program = kc::programFromListing(kListing, "kListing");
    ASSERT_TRUE(std::holds_alternative<kc::BasicProgram>(program));
    EXPECT_EQ(*heading,
              "[BASIC] 3 lines, " +
                  std::to_string(kc::programImageSize(std::get<kc::BasicProgram>(program))) +
                  " bytes");
    EXPECT_EQ(std::vector<std::string>(heading + 1, heading + kListingLines.size()),
              std::vector<std::string>(kListingLines.begin() + 1, kListingLines.end()))
        << output;
    EXPECT_EQ(summaryCount(output, "BASIC loads?"), 1u) << output;
    EXPECT_EQ(summaryCount(output, "warnings?"), 0u) << output;
}

TEST(KcsimWithKcsend, SavesAnUploadAsAKccFileWithTheImageSent) {
    const std::string sent = readFile(TEST_DATA_DIR "/BINLOAD.KCC");
    const std::vector<std::uint8_t> kcc(sent.begin(), sent.end());
    const auto header = kc::readKccHeader(kcc);
    ASSERT_TRUE(header);
    const ScratchDir dir;
    KcsimProcess kcsim({"--save", dir / "saved"});
    EXPECT_EQ(kcsend(kcsim.devicePath(), {"upload", TEST_DATA_DIR "/BINLOAD.KCC"}).exitCode, 0);
    ASSERT_TRUE(kcsim.waitForOutput("upload1.kcc\n"));
    kcsim.interrupt();

    const std::string saved = readFile(dir / "saved/upload1.kcc");
    ASSERT_GE(saved.size(), kc::kHeaderSize);
    EXPECT_EQ(saved.substr(17, 4), sent.substr(17, 4)) << "load and end address";
    EXPECT_EQ(saved.substr(kc::kHeaderSize), sent.substr(kc::kHeaderSize, header->imageLength()));
}

TEST(KcsimWithKcsend, SavesTheProgramTypedIntoItsBasic) {
    const ScratchDir dir;
    std::ofstream(dir / "prog.bas", std::ios::binary) << kListing;
    KcsimProcess kcsim({});
    for (const char* line : {"", "BASIC", ""}) {
        EXPECT_EQ(kcsend(kcsim.devicePath(), {"type", line}).exitCode, 0);
    }
    EXPECT_EQ(kcsend(kcsim.devicePath(), {"text", dir / "prog.bas"}).exitCode, 0);
    EXPECT_EQ(kcsend(kcsim.devicePath(), {"save", dir / "saved.bas"}).exitCode, 0);

    std::string expected;
    for (auto line = kListingLines.begin() + 1; line != kListingLines.end(); ++line) {
        expected += *line + "\n";
    }
    EXPECT_EQ(readFile(dir / "saved.bas"), expected);
    const std::string output = kcsim.interrupt();
    EXPECT_EQ(summaryCount(output, "LIST#3 answers?"), 1u) << output;
}

TEST(KcsimWithKcsend, ReadsAnUploadBackByVerifyAndByDump) {
    const std::string sent = readFile(TEST_DATA_DIR "/BINLOAD.KCC");
    const ScratchDir dir;
    KcsimProcess kcsim({});
    EXPECT_EQ(
        kcsend(kcsim.devicePath(), {"upload", "--verify", TEST_DATA_DIR "/BINLOAD.KCC"}).exitCode,
        0);
    EXPECT_EQ(kcsend(kcsim.devicePath(), {"dump", "200", "3BA", dir / "memory.bin"}).exitCode, 0);

    EXPECT_EQ(readFile(dir / "memory.bin"), sent.substr(kc::kHeaderSize, 0x1BB));
    const std::string output = kcsim.interrupt();
    EXPECT_EQ(summaryCount(output, "ESC U calls?"), 2u) << output;
    EXPECT_EQ(summaryCount(output, "without return"), 0u) << output;
}

TEST(KcsimWithKcsend, AnswersNoDumpAfterATypedCommandUntilReset) {
    const ScratchDir dir;
    KcsimProcess kcsim({});
    EXPECT_EQ(kcsend(kcsim.devicePath(), {"type", "MENU"}).exitCode, 0);
    const auto silent = kcsend(kcsim.devicePath(), {"dump", "200", "2FF", dir / "memory.bin"});
    EXPECT_EQ(silent.exitCode, 1);
    EXPECT_NE(silent.err.find("press RESET on the KC and try again"), std::string::npos)
        << silent.err;

    kcsim.pressReset();
    ASSERT_TRUE(kcsim.waitForOutput("[RESET]"));
    EXPECT_EQ(kcsend(kcsim.devicePath(), {"dump", "200", "2FF", dir / "memory.bin"}).exitCode, 0);
    EXPECT_EQ(readFile(dir / "memory.bin"), std::string(0x100, '\0'));
}

}  // namespace
}  // namespace kcsim::testing

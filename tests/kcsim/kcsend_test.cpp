// kcsim and kcsend, both the built programs, on one pseudo-terminal line:
// what kcsend sends is what kcsim shows and stores. Bytes and order only.
#include <fstream>
#include <iostream>
#include <regex>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "kcc_header.h"
#include "kcsim_process.h"
#include "kcsim_test_support.h"

namespace kcsim::testing {
namespace {

// Runs kcsend to its end; its exit status, -1 when it did not exit.
int kcsend(const std::string& device, std::vector<std::string> arguments) {
    arguments.insert(arguments.begin(), {"-p", device, "-q"});
    const auto ended = morvale::testing::runProgram({.program = KCSEND_BINARY, .args = arguments});
    std::cerr << ended.err;
    return ended.exitCode;
}

const std::string kListing = "10 PRINT \"HALLO\"\r\n20 GOTO 10\r\n";
const std::vector<std::string> kListingLines{"", "10 PRINT \"HALLO\"", "20 GOTO 10"};

TEST(KcsimWithKcsend, ShowsATypedCommandInCapitalsAndKeysByName) {
    KcsimProcess kcsim({});
    EXPECT_EQ(kcsend(kcsim.devicePath(), {"type", "list", "ä"}), 0);
    EXPECT_EQ(kcsend(kcsim.devicePath(), {"key", "F1", "F2", "F3", "F4", "F5", "F6", "BRK", "STOP",
                                          "INS", "DEL", "CLR", "HOME"}),
              0);
    EXPECT_EQ(kcsend(kcsim.devicePath(), {"type", ""}), 0);
    ASSERT_TRUE(kcsim.waitForOutput("\n", 3));

    const std::string output = kcsim.interrupt();
    EXPECT_EQ(screenLines(output),
              (std::vector<std::string>{
                  "LIST Ä", "[F1][F2][F3][F4][F5][F6][BRK][STOP][INS][DEL][CLR][HOME]"}))
        << output;
}

TEST(KcsimWithKcsend, ShowsAListingLineByLine) {
    const ScratchDir dir;
    std::ofstream(dir / "prog.bas", std::ios::binary) << kListing;
    KcsimProcess kcsim({});
    EXPECT_EQ(kcsend(kcsim.devicePath(), {"text", dir / "prog.bas"}), 0);
    ASSERT_TRUE(kcsim.waitForOutput("GOTO 10\n"));

    const std::string output = kcsim.interrupt();
    EXPECT_EQ(screenLines(output), kListingLines) << output;
    EXPECT_EQ(summaryCount(output, "lines"), kListingLines.size());
}

TEST(KcsimWithKcsend, SavesAnUploadAsAKccFileWithTheImageSent) {
    const std::string sent = readFile(TEST_DATA_DIR "/BINLOAD.KCC");
    const std::vector<std::uint8_t> kcc(sent.begin(), sent.end());
    const auto header = kc::readKccHeader(kcc);
    ASSERT_TRUE(header);
    const ScratchDir dir;
    KcsimProcess kcsim({"--save", dir / "saved"});
    EXPECT_EQ(kcsend(kcsim.devicePath(), {"upload", TEST_DATA_DIR "/BINLOAD.KCC"}), 0);
    ASSERT_TRUE(kcsim.waitForOutput("upload1.kcc\n"));
    kcsim.interrupt();

    const std::string saved = readFile(dir / "saved/upload1.kcc");
    ASSERT_GE(saved.size(), kc::kHeaderSize);
    EXPECT_EQ(saved.substr(17, 4), sent.substr(17, 4)) << "load and end address";
    EXPECT_EQ(saved.substr(kc::kHeaderSize), sent.substr(kc::kHeaderSize, header->imageLength()));
}

}  // namespace
}  // namespace kcsim::testing

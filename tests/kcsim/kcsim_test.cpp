// The built kcsim as a process, fed over its pseudo-terminal by the sender's
// real serial link (alone, or under the sender's text transfer) and by a raw
// writer that never pauses. Bytes and order
// are checked, never the far end's timing, except the pace watch's counts for
// a peer so fast that they are certain.
#include <fcntl.h>
#include <termios.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <regex>
#include <string>
#include <thread>
#include <vector>

#include <gtest/gtest.h>

#include "kcc_header.h"
#include "kcsim_process.h"
#include "kcsim_test_support.h"
#include "scripted_window.h"
#include "sender.h"
#include "termios_serial_link.h"

namespace kcsim::testing {
namespace {

using Bytes = std::vector<std::uint8_t>;

Bytes bytesOf(const std::string& text) {
    return Bytes(text.begin(), text.end());
}

// Opens the port as the sender does for one operation, writes, closes.
void sendOverLink(const std::string& device, const Bytes& bytes, bool bytewise = false) {
    morvale::TermiosSerialLink link([](std::string_view line) { ADD_FAILURE() << line; });
    ASSERT_TRUE(link.open(device, morvale::kUploadLine));
    if (bytewise) {
        for (const std::uint8_t byte : bytes) {
            EXPECT_EQ(link.writeBytes({&byte, 1}).written, 1);
        }
    } else {
        EXPECT_EQ(link.writeBytes(bytes).written, static_cast<std::int32_t>(bytes.size()));
    }
    link.close();
}

// Writes everything in one call, with no flow control and no pause.
void sendBackToBack(const std::string& device, const Bytes& bytes) {
    const int fd = ::open(device.c_str(), O_RDWR | O_NOCTTY);
    ASSERT_GE(fd, 0);
    termios line{};
    ASSERT_EQ(::tcgetattr(fd, &line), 0);
    ::cfmakeraw(&line);
    ASSERT_EQ(::tcsetattr(fd, TCSANOW, &line), 0);
    EXPECT_EQ(::write(fd, bytes.data(), bytes.size()), static_cast<ssize_t>(bytes.size()));
    ::close(fd);
}

TEST(Kcsim, ShowsATypedCommandAsTextAndKeyCodesByName) {
    KcsimProcess kcsim({});
    const std::string command = "\rLIST \xC4\x07\x1BX\r";
    sendOverLink(kcsim.devicePath(), bytesOf(command), true);
    for (const std::uint8_t key :
         {0xF1, 0xF2, 0xF3, 0xF4, 0xF5, 0xF6, 0x03, 0x13, 0x1A, 0x1F, 0x01, 0x10}) {
        sendOverLink(kcsim.devicePath(), {key});
    }
    sendOverLink(kcsim.devicePath(), {0x0D});
    ASSERT_TRUE(kcsim.waitForOutput("[HOME]\n"));

    const std::string output = kcsim.interrupt();
    EXPECT_EQ(screenLines(output), (std::vector<std::string>{
                                       "", "LIST Ä<07><1B>X",
                                       "[F1][F2][F3][F4][F5][F6][BRK][STOP][INS][DEL][CLR][HOME]"}))
        << output;
    EXPECT_EQ(summaryCount(output, "characters"), 21u);
    EXPECT_EQ(summaryCount(output, "lines"), 3u);
    EXPECT_EQ(kcsim.exitCode(), 0) << kcsim.error();
}

TEST(Kcsim, BusyKcStillGetsTheWholeListingFromTheSender) {
    // Each hold outlasts the link's write time-out for one byte.
    KcsimProcess kcsim({"--busy-after-cr", "400"});
    ::setenv("MORVALE_COM2", kcsim.devicePath().c_str(), 1);
    morvale::testing::Transcript transcript;
    morvale::testing::ScriptedWindow window{transcript};
    window.realTime = true;
    morvale::TermiosSerialLink link;
    morvale::Sender sender{window, link};
    window.texts[morvale::kEditor] = "10 PRINT \"HALLO\"\r\n20 GOTO 10\r\n";
    sender.dispatch(morvale::Event::control(morvale::kSendButton));
    ::unsetenv("MORVALE_COM2");
    ASSERT_TRUE(kcsim.waitForOutput("GOTO 10\n"));

    const std::string output = kcsim.interrupt();
    EXPECT_EQ(screenLines(output),
              (std::vector<std::string>{"", "10 PRINT \"HALLO\"", "20 GOTO 10"}))
        << output;
    EXPECT_GE(summaryCount(output, "holds?"), 1u);
    EXPECT_TRUE(window.messages.empty());
}

TEST(Kcsim, SavesAnUploadAsAKccFileWithTheImageSentAndDumpsTheMemory) {
    const std::string sent = readFile(TEST_DATA_DIR "/BINLOAD.KCC");
    const Bytes kcc(sent.begin(), sent.end());
    const auto header = kc::readKccHeader(kcc);
    ASSERT_TRUE(header);
    const Bytes image(kcc.begin() + kc::kHeaderSize,
                      kcc.begin() + kc::kHeaderSize + header->imageLength());
    const ScratchDir dir;
    {
        KcsimProcess kcsim(
            {"--link", dir / "kc", "--save", dir / "saved", "--dump", dir / "memory"});
        sendOverLink(dir / "kc", {0x1B});
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
        Bytes upload{0x54, static_cast<std::uint8_t>(header->loadAddress & 0xFF),
                     static_cast<std::uint8_t>(header->loadAddress >> 8),
                     static_cast<std::uint8_t>(image.size() & 0xFF),
                     static_cast<std::uint8_t>(image.size() >> 8)};
        upload.insert(upload.end(), image.begin(), image.end());
        sendOverLink(dir / "kc", upload);
        ASSERT_TRUE(kcsim.waitForOutput("upload1.kcc\n"));

        const std::string output = kcsim.interrupt();
        EXPECT_NE(output.find("[ESC T] address 0200, length 01BB (443 bytes) - checksum "),
                  std::string::npos)
            << output;
        EXPECT_EQ(kcsim.exitCode(), 0) << kcsim.error();
    }
    EXPECT_FALSE(std::filesystem::exists(std::filesystem::symlink_status(dir / "kc")));

    const std::string saved = readFile(dir / "saved/upload1.kcc");
    const Bytes savedBytes(saved.begin(), saved.end());
    const auto savedHeader = kc::readKccHeader(savedBytes);
    ASSERT_TRUE(savedHeader);
    EXPECT_EQ(savedHeader->loadAddress, header->loadAddress);
    EXPECT_EQ(savedHeader->endAddress, header->endAddress);
    EXPECT_EQ(Bytes(savedBytes.begin() + kc::kHeaderSize, savedBytes.end()), image);

    const std::string memory = readFile(dir / "memory");
    ASSERT_EQ(memory.size(), 0x10000u);
    EXPECT_EQ(Bytes(memory.begin() + header->loadAddress, memory.begin() + header->endAddress),
              image);
}

TEST(Kcsim, ReportsAnUploadCutShortAndDoesNotSaveIt) {
    const ScratchDir dir;
    KcsimProcess kcsim({"--save", dir / "saved"});
    sendBackToBack(kcsim.devicePath(), {0x1B, 0x54, 0x00, 0x30, 0x64, 0x00, 1, 2, 3, 4, 5});
    ASSERT_TRUE(kcsim.waitForOutput("(100 bytes)"));

    const std::string output = kcsim.interrupt();
    EXPECT_TRUE(std::regex_search(output, std::regex("ended short after [0-5] of 100 bytes")))
        << output;
    EXPECT_EQ(summaryCount(output, "ended short"), 1u);
    EXPECT_FALSE(std::filesystem::exists(dir / "saved/upload1.kcc"));
}

TEST(Kcsim, PaceWatchCountsAPeerThatNeverPauses) {
    KcsimProcess kcsim({});
    Bytes burst;
    for (int upload = 0; upload < 3; ++upload) {
        // Two bytes below the ROM, two into it.
        burst.insert(burst.end(), {0x1B, 0x54, 0xFE, 0xDF, 0x04, 0x00, 0xAA, 0xBB, 0xCC, 0xDD});
    }
    const Bytes typed = bytesOf("0123456789\rABCDEFGHIJ\r");
    burst.insert(burst.end(), typed.begin(), typed.end());
    sendBackToBack(kcsim.devicePath(), burst);
    ASSERT_TRUE(kcsim.waitForOutput("J\n"));

    // Bytes of one write arrive together; only a read that splits them on a
    // busy machine can leave a pair far enough apart to pass.
    const std::string output = kcsim.interrupt();
    EXPECT_EQ(summaryCount(output, "bytes? into ROM"), 6u) << output;
    const auto characters = summaryCount(output, "characters? < 6 ms apart");
    EXPECT_GE(characters, 15u);
    EXPECT_LE(characters, 20u);
    const auto lines = summaryCount(output, "lines? too soon after CR");
    EXPECT_GE(lines, 1u);
    EXPECT_LE(lines, 2u);
    const auto escapes = summaryCount(output, "T or U < 50 ms after ESC");
    EXPECT_GE(escapes, 1u);
    EXPECT_LE(escapes, 3u);
}

}  // namespace
}  // namespace kcsim::testing

// The operations that hear the KC, on a real line: the termios link on a
// pseudo-terminal whose far end answers as the KC's firmware would, or
// does not.
#include <gtest/gtest.h>

#include <cstdlib>
#include <mutex>

#include "basic_save.h"
#include "memory_dump.h"
#include "memory_sender.h"
#include "pty_peer.h"
#include "scripted_window.h"
#include "termios_serial_link.h"

namespace morvale::testing {
namespace {

using namespace std::chrono_literals;
using Bytes = std::vector<std::uint8_t>;

// Where silence is the point of a case; elsewhere the default limits, so
// that a busy machine cannot make an answer late.
const HearingLimits kShortLimits{500ms, 300ms};

HearingLimits limitsFor(bool silenceExpected) {
    return silenceExpected ? kShortLimits : HearingLimits{};
}

// What LIST#3 sends for these lines: CR LF, then each line with CR LF, ten
// zero bytes after every CR LF, and 03h when `ended`.
Bytes listOutput(const std::vector<std::string>& lines, bool ended) {
    Bytes out;
    const auto lineEnd = [&] {
        out.insert(out.end(), {'\r', '\n'});
        out.insert(out.end(), 10, 0);
    };
    lineEnd();
    for (const std::string& line : lines) {
        out.insert(out.end(), line.begin(), line.end());
        lineEnd();
    }
    if (ended) {
        out.push_back(0x03);
    }
    return out;
}

class Hearing : public ::testing::Test {
  protected:
    Hearing() {
        ::setenv("MORVALE_COM2", peer.devicePath().c_str(), 1);
        pacer.realTime = true;
    }
    ~Hearing() override { ::unsetenv("MORVALE_COM2"); }

    // Answers `answer` once the computer has sent bytes ending in `cue`.
    void answerAfter(Bytes cue, Bytes answer) {
        peer.setResponder([this, cue, answer](std::span<const std::uint8_t> chunk) {
            std::lock_guard lock(mutex_);
            heard_.insert(heard_.end(), chunk.begin(), chunk.end());
            const bool cued = heard_.size() >= cue.size() &&
                              std::equal(cue.rbegin(), cue.rend(), heard_.rbegin());
            return cued ? answer : Bytes{};
        });
    }

    PtyPeer peer;
    Transcript transcript;
    ScriptedWindow pacer{transcript};
    TermiosSerialLink link{[](std::string_view) {}};

  private:
    std::mutex mutex_;
    Bytes heard_;
};

TEST_F(Hearing, ListingIsWholeOnlyWithItsEndAndTheKcsSilenceIsAnError) {
    const std::vector<std::string> lines = {"10 PRINT \"\xC4\"", "20 GOTO 10"};
    const Bytes command = {'L', 'I', 'S', 'T', '#', '3', '"', 'G', 'A', 'M', 'E', '"', '\r'};
    const struct {
        Bytes answer;
        std::optional<kc::ErrorKind> error;
        std::size_t linesCame;
    } cases[] = {
        {listOutput(lines, true), std::nullopt, 2},
        {listOutput(lines, false), kc::ErrorKind::CutShort, 2},
        {{}, kc::ErrorKind::NoAnswer, 0},
    };
    for (const auto& c : cases) {
        answerAfter(command, c.answer);
        const ListingReceived received =
            receiveBasicListing(link, pacer, "COM2", "game.bas", nullptr, limitsFor(!!c.error));
        EXPECT_EQ(received.whole, !c.error);
        EXPECT_EQ(received.lines.size(), c.linesCame);
        if (c.error) {
            EXPECT_TRUE(received.report.isError(*c.error)) << received.report.error->describe();
        } else {
            EXPECT_TRUE(received.report.complete());
            EXPECT_EQ(received.lines, lines);
        }
    }
    peer.waitForBytes(3 * (1 + command.size()), 2s);
    const Bytes sent = peer.receivedBytes();
    EXPECT_EQ(Bytes(sent.begin(), sent.begin() + 1 + command.size()),
              (Bytes{'\r', 'L', 'I', 'S', 'T', '#', '3', '"', 'G', 'A', 'M', 'E', '"', '\r'}));
}

TEST_F(Hearing, DumpTakesOnlyTheFrameAskedForAndCheckComparesItWithTheImage) {
    Bytes memory = {0x11, 0x13, 0x00, 0xFF, 0x03, 0x1B};  // the flow bytes among them
    const Bytes start = {'U', 0x00, 0xB7};                // ESC U B700h
    Bytes garbled = kc::memoryFrame(0x4000, memory);
    garbled[9] ^= 0x40;
    const Bytes frame = kc::memoryFrame(0x4000, memory);
    const struct {
        Bytes answer;
        std::optional<kc::ErrorKind> error;
    } cases[] = {
        {frame, std::nullopt},
        {garbled, kc::ErrorKind::BadChecksum},
        {kc::memoryFrame(0x4001, memory), kc::ErrorKind::Malformed},
        {Bytes(frame.begin(), frame.end() - 3), kc::ErrorKind::CutShort},
        {{}, kc::ErrorKind::NoAnswer},
    };
    for (const auto& c : cases) {
        answerAfter(start, c.answer);
        const bool silent =
            c.error == kc::ErrorKind::CutShort || c.error == kc::ErrorKind::NoAnswer;
        const MemoryDump dump =
            dumpMemory(link, pacer, "COM2", 0x4000, 6, nullptr, limitsFor(silent));
        if (c.error) {
            EXPECT_TRUE(dump.report.isError(*c.error)) << ::testing::PrintToString(c.answer);
        } else {
            EXPECT_TRUE(dump.report.complete());
            EXPECT_EQ(dump.memory, memory);
        }
    }
    // The routine went into the cassette buffer, set to send 6 bytes from
    // 4000h.
    const Bytes sent = peer.receivedBytes();
    const Bytes routine = kc::memorySenderCode(0x4000, 6);
    EXPECT_NE(std::search(sent.begin(), sent.end(), routine.begin(), routine.end()), sent.end());

    answerAfter(start, frame);
    EXPECT_TRUE(
        checkMemory(link, pacer, "COM2", 0x4000, memory, nullptr, kShortLimits).report.complete());
    Bytes uploaded = memory;
    uploaded[4] = 0x04;
    const MemoryCheck differs = checkMemory(link, pacer, "COM2", 0x4000, uploaded);
    EXPECT_TRUE(differs.report.isError(kc::ErrorKind::Differs));
    EXPECT_EQ(differs.firstDifference, 0x4004);
    EXPECT_TRUE(checkMemory(link, pacer, "COM2", 0xB700, memory)
                    .report.isError(kc::ErrorKind::AddressRefused));
}

}  // namespace
}  // namespace morvale::testing

// A KC holding the line with XOFF: every character still arrives, once.
#include <gtest/gtest.h>

#include <cstdlib>
#include <thread>

#include "controls.h"
#include "pty_peer.h"
#include "sender_fixture.h"
#include "termios_serial_link.h"

namespace morvale::testing {
namespace {

using namespace std::chrono_literals;

TEST(HeldLine, ListingHeldForThreeHundredMillisecondsArrivesWhole) {
    PtyPeer peer;
    ::setenv("MORVALE_COM2", peer.devicePath().c_str(), 1);
    Transcript transcript;
    ScriptedWindow window{transcript};
    TermiosSerialLink link;
    Sender sender{window, link};

    std::thread xon;
    // Tick 50 ends the wait after the opening line end; a few characters
    // later the KC stops the line while it stores what it has.
    window.onTick = [&](int tick) {
        if (tick == 50 + 3 * 6) {
            peer.sendXoff();
            xon = std::thread([&] {
                std::this_thread::sleep_for(300ms);
                peer.sendXon();
            });
        }
    };
    window.texts[kEditor] = "10 PRINT \"HALLO\"\r\n20 GOTO 10\r\n";
    const auto start = Clock::now();
    sender.dispatch(Event::control(kSendButton));
    const auto took = Clock::now() - start;
    xon.join();
    ::unsetenv("MORVALE_COM2");

    const std::string expected = "\r10 PRINT \"HALLO\"\r20 GOTO 10\r";
    ASSERT_TRUE(peer.waitForBytes(expected.size(), 2s));
    EXPECT_EQ(peer.receivedBytes(), std::vector<std::uint8_t>(expected.begin(), expected.end()));
    EXPECT_GE(took, 300ms);  // the transfer waited for the hold to end
    EXPECT_TRUE(window.messages.empty());
}

using HeldWrites = SenderTest;

// Answers writes of the byte held with "timed out, nothing sent".
std::function<WriteResult(std::span<const std::uint8_t>)> holding(char held, int* times) {
    return [held, times](std::span<const std::uint8_t> bytes) {
        if (bytes[0] == static_cast<std::uint8_t>(held) && (*times < 0 || (*times)-- > 0)) {
            return WriteResult{0, false};
        }
        return WriteResult{static_cast<std::int32_t>(bytes.size()), false};
    };
}

TEST_F(HeldWrites, CommandCharacterIsWrittenAgainAfterATickUntilItLeaves) {
    int times = 2;
    link.onWrite = holding('U', &times);
    window.texts[kCommandLine] = "RUN";
    sender.dispatch(Event::menu(kReturnKeyItem));
    EXPECT_EQ(transcript.line(), "52 T6 55 T1 55 T1 55 T6 4E T6 0D");
    EXPECT_EQ(link.sent, (std::vector<std::uint8_t>{'R', 'U', 'N', '\r'}));
    EXPECT_EQ(window.text(kCommandLine), "");
}

TEST_F(HeldWrites, AbortDuringAHoldEndsWithTheAbortsLineEnd) {
    int forever = -1;
    link.onWrite = holding('B', &forever);
    // Ticks 51 to 56 follow the A; B is held from tick 57 on.
    window.eventAtTick[60] = Event::control(kSendButton);
    window.texts[kEditor] = "AB";
    click(kSendButton);
    EXPECT_EQ(transcript.line(), "0D T50 41 T6 42 T1 42 T1 42 T1 42 T1 0D 0D");
    EXPECT_EQ(link.sent, (std::vector<std::uint8_t>{'\r', 'A', '\r', '\r'}));
    EXPECT_EQ(window.text(kSendButton), "Senden");
    EXPECT_FALSE(state().sending);
}

TEST_F(HeldWrites, ZeroByteInTheTextIsSkippedNotWaitedFor) {
    window.texts[kEditor] = std::string("A\0B", 3);
    click(kSendButton);
    EXPECT_EQ(link.sent, (std::vector<std::uint8_t>{'\r', 'A', 'B', '\r'}));
}

TEST_F(HeldWrites, CommandLineAndKeysGiveUpAfterTheLimitWithOneLine) {
    link.onWrite = [](std::span<const std::uint8_t>) { return WriteResult{0, false}; };
    window.realTime = true;
    std::vector<std::string> lines;
    const DiagnosticSink sink = [&](std::string_view line) { lines.emplace_back(line); };

    window.texts[kCommandLine] = "RUN";
    sendCommandLine(state(), window, link, sink, 100ms);
    sendKey(state(), window, link, kFirstKeyButton, sink, 100ms);

    ASSERT_EQ(lines.size(), 2u);
    EXPECT_NE(lines[0].find("COM2"), std::string::npos);
    EXPECT_EQ(transcript.line().rfind("52 T1 52", 0), 0u);  // tried again, a tick apart
    EXPECT_TRUE(link.sent.empty());
    EXPECT_EQ(transcript.line().find("0D"), std::string::npos);  // the R never left: no CR
    EXPECT_FALSE(link.isOpen());
}

}  // namespace
}  // namespace morvale::testing

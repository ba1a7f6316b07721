// The transfers on a real line: the termios link on a pseudo-terminal, its
// writes stamped where they are made, paced by a window double that sleeps
// through its ticks. The far end checks the bytes and their order.
#include <gtest/gtest.h>

#include <cstdlib>
#include <numeric>

#include "pty_peer.h"
#include "sender_fixture.h"
#include "termios_serial_link.h"
#include "timed_link.h"

namespace morvale::testing {
namespace {

using namespace std::chrono_literals;

class OnTheLine : public ::testing::Test {
  protected:
    OnTheLine() {
        ::setenv("MORVALE_COM2", peer.devicePath().c_str(), 1);
        window.realTime = true;
    }
    ~OnTheLine() override { ::unsetenv("MORVALE_COM2"); }

    void click(int controlId) { sender.dispatch(Event::control(controlId)); }

    std::vector<std::uint8_t> receive(std::size_t count) {
        EXPECT_TRUE(peer.waitForBytes(count, 2s));
        return peer.receivedBytes();
    }
    // Checks the time from each write's return to the next one's call
    // against the pause that must come between them, in ms.
    void expectPauses(const std::vector<double>& pauses) const {
        ASSERT_EQ(timed.writes.size(), pauses.size() + 1);
        for (std::size_t i = 0; i < pauses.size(); ++i) {
            EXPECT_GE(timed.pauseAfter(i), pauses[i]) << "after write " << i;
        }
    }

    PtyPeer peer;
    Transcript transcript;
    ScriptedWindow window{transcript};
    TermiosSerialLink link;
    TimedLink timed{link};
    Sender sender{window, timed};
};

std::vector<std::uint8_t> bytesOf(std::string_view text) {
    return {text.begin(), text.end()};
}

TEST_F(OnTheLine, TwoBasicLinesWithTheirPauses) {
    window.texts[kEditor] = "10 PRINT 1\r\n20 END\r\n";
    click(kSendButton);
    EXPECT_EQ(receive(19), bytesOf("\r10 PRINT 1\r20 END\r"));

    std::vector<double> pauses(18, 6.0);
    pauses[0] = pauses[11] = 600.0;  // after the two carriage returns before a line
    expectPauses(pauses);
}

TEST_F(OnTheLine, LongPausesAfterTheFortiethAndEightiethCharacter) {
    window.texts[kEditor] = std::string(100, '#');
    click(kSendButton);
    const auto bytes = receive(102);
    EXPECT_EQ(bytes.front(), 0x0D);
    EXPECT_EQ(bytes.back(), 0x0D);

    std::vector<double> pauses(101, 6.0);  // pause i follows character i
    pauses[0] = 600.0;
    pauses[40] = pauses[80] = 450.0;
    expectPauses(pauses);
}

TEST_F(OnTheLine, AbortSendsALineEnd) {
    window.eventAtTick[600 + 6 + 6 + 2] = Event::control(kSendButton);
    window.texts[kEditor] = "ABCDEFGH";
    click(kSendButton);
    EXPECT_EQ(receive(6), bytesOf("\rABC\r\r"));
}

TEST_F(OnTheLine, UploadHeaderPausesAfterEscape) {
    auto& state = sender.state();
    state.dataBuffer.resize(512);
    std::iota(state.dataBuffer.begin(), state.dataBuffer.end(), std::uint8_t{0});
    state.dataLength = 512;
    window.texts[kEditor] = "KCC";
    window.answers.push_back("300");
    click(kSendButton);

    const auto bytes = receive(6 + 512);
    std::vector<std::uint8_t> expected = {0x1B, 0x54, 0x00, 0x03, 0x00, 0x02};
    expected.insert(expected.end(), state.dataBuffer.begin(), state.dataBuffer.end());
    EXPECT_EQ(bytes, expected);
    EXPECT_GE(timed.pauseAfter(0), 50.0);
    EXPECT_TRUE(window.messages.empty());
    EXPECT_EQ(window.text(kEditor), "KCC");
}

TEST_F(OnTheLine, UploadInBlocksAndARest) {
    auto& state = sender.state();
    state.dataBuffer.assign(1025, 0x13);  // XOFF bytes in the image are data
    state.dataBuffer.back() = 0x11;
    state.dataLength = 1025;
    window.texts[kEditor] = "BIN\xC4R";
    window.answers.push_back("1000");
    click(kSendButton);

    const auto bytes = receive(6 + 1025);
    ASSERT_EQ(bytes.size(), 6u + 1025u);
    EXPECT_EQ(std::vector<std::uint8_t>(bytes.begin(), bytes.begin() + 6),
              (std::vector<std::uint8_t>{0x1B, 0x54, 0x00, 0x10, 0x01, 0x04}));
    EXPECT_EQ(std::vector<std::uint8_t>(bytes.begin() + 6, bytes.end()), state.dataBuffer);
}

TEST_F(OnTheLine, KcHoldingTheLineMakesThePieceShort) {
    auto& state = sender.state();
    state.dataBuffer.assign(5, 0x42);
    state.dataLength = 5;
    window.texts[kEditor] = "KCB";
    window.answers.push_back("200");
    // The KC stops the line right after the ESC; opening the port clears an
    // XOFF sent earlier.
    window.onTick = [&](int tick) {
        if (tick == 1) {
            peer.sendXoff();
        }
    };
    const auto start = Clock::now();
    click(kSendButton);
    const auto took = Clock::now() - start;

    ASSERT_EQ(window.messages.size(), 1u);
    EXPECT_EQ(window.messages[0].title, "Fehler");
    EXPECT_EQ(window.messages[0].text, "Sendespeicher nicht leer!");
    EXPECT_GE(took, 50ms + 510ms + 510ms);
    EXPECT_EQ(window.text(kEditor), "KCB");
    EXPECT_TRUE(window.isEnabled(kLoadButton));
    peer.sendXon();
    EXPECT_EQ(peer.receivedBytes(), std::vector<std::uint8_t>{0x1B});
}

}  // namespace
}  // namespace morvale::testing

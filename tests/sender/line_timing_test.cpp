// The transfers on a real line: the termios link on a pseudo-terminal whose
// far end timestamps every byte, paced by a window double that sleeps
// through its ticks.
#include <gtest/gtest.h>

#include <cstdlib>
#include <numeric>

#include "pty_peer.h"
#include "sender_fixture.h"
#include "termios_serial_link.h"

namespace morvale::testing {
namespace {

using namespace std::chrono_literals;
using Millis = std::chrono::duration<double, std::milli>;

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
    // Checks the pause after each byte against what it must be, in ms. The
    // peer's reader stamps a byte late now and then by a few milliseconds,
    // which shortens the gap after it; so each gap is held to a loose bound
    // that still tells a missing or a wrong pause, and the time since the
    // first byte, which only the two stamps' lateness can shorten, to a
    // tight one.
    void expectPauses(const std::vector<double>& pauses) const {
        const auto bytes = peer.received();
        ASSERT_EQ(bytes.size(), pauses.size() + 1);
        double scheduled = 0;
        for (std::size_t i = 0; i < pauses.size(); ++i) {
            scheduled += pauses[i];
            const double gap = Millis(bytes[i + 1].at - bytes[i].at).count();
            const double sinceFirst = Millis(bytes[i + 1].at - bytes[0].at).count();
            EXPECT_GE(gap, pauses[i] * 0.8 - 2.0) << "after byte " << i;
            EXPECT_LT(gap, pauses[i] + 30.0) << "after byte " << i;
            EXPECT_GE(sinceFirst, scheduled - 3.0) << "up to byte " << i + 1;
        }
    }
    // Time from byte i to byte i + 1, as the peer saw them.
    std::vector<double> gaps() const {
        const auto bytes = peer.received();
        std::vector<double> result;
        for (std::size_t i = 1; i < bytes.size(); ++i) {
            result.push_back(Millis(bytes[i].at - bytes[i - 1].at).count());
        }
        return result;
    }

    PtyPeer peer;
    Transcript transcript;
    ScriptedWindow window{transcript};
    TermiosSerialLink link;
    Sender sender{window, link};
};

std::vector<std::uint8_t> bytesOf(std::string_view text) {
    return {text.begin(), text.end()};
}

TEST_F(OnTheLine, TwoBasicLinesWithTheirPauses) {
    window.texts[kEditor] = "10 PRINT 1\r\n20 END\r\n";
    click(kSendButton);
    EXPECT_EQ(receive(19), bytesOf("\r10 PRINT 1\r20 END\r"));

    std::vector<double> pauses(18, 6.0);
    pauses[0] = pauses[11] = 50.0;  // after the two carriage returns before a line
    expectPauses(pauses);
}

TEST_F(OnTheLine, LongPausesAfterTheFortiethAndEightiethCharacter) {
    window.texts[kEditor] = std::string(100, '#');
    click(kSendButton);
    const auto bytes = receive(102);
    EXPECT_EQ(bytes.front(), 0x0D);
    EXPECT_EQ(bytes.back(), 0x0D);

    std::vector<double> pauses(101, 6.0);  // pause i follows character i
    pauses[0] = pauses[40] = pauses[80] = 50.0;
    expectPauses(pauses);
}

TEST_F(OnTheLine, AbortSendsALineEndAtOnce) {
    window.eventAtTick[50 + 6 + 6 + 2] = Event::control(kSendButton);
    window.texts[kEditor] = "ABCDEFGH";
    click(kSendButton);
    EXPECT_EQ(receive(6), bytesOf("\rABC\r\r"));
    const auto gap = gaps();
    EXPECT_LT(gap[3], 5.0);  // the abort's line end follows at once
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
    EXPECT_GE(gaps()[0], 47.0);
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

// A serial device that disappears in the middle of a transfer (a USB
// adapter pulled out): one message that says so, and the transfer ends.
#include <gtest/gtest.h>

#include <cstdlib>

#include "pty_peer.h"
#include "sender_fixture.h"
#include "termios_serial_link.h"

namespace morvale::testing {
namespace {

class DeviceLoss : public ::testing::Test {
  protected:
    DeviceLoss() {
        ::setenv("MORVALE_COM2", peer.devicePath().c_str(), 1);
        sender.state().textPacing = kShortPacing;
    }
    ~DeviceLoss() override { ::unsetenv("MORVALE_COM2"); }

    void vanishAtTick(int at) {
        window.onTick = [this, at](int tick) {
            if (tick == at) {
                peer.vanish();
            }
        };
    }
    void expectOneLossMessage() const {
        ASSERT_EQ(window.messages.size(), 1u);
        EXPECT_EQ(window.messages[0].title, "Fehler");
        EXPECT_EQ(window.messages[0].text, "Verbindung zur Schnittstelle unterbrochen!");
        EXPECT_FALSE(link.isOpen());
        EXPECT_TRUE(window.isEnabled(kLoadButton));
        EXPECT_TRUE(window.isEnabled(kCommandLine));
    }

    PtyPeer peer;
    Transcript transcript;
    ScriptedWindow window{transcript};
    TermiosSerialLink link{[](std::string_view) {}};
    Sender sender{window, link};
};

TEST_F(DeviceLoss, MidUpload) {
    sender.state().dataBuffer.assign(3000, 0x42);
    sender.state().dataLength = 3000;
    window.texts[kEditor] = "KCC";
    window.answers.push_back("200");
    vanishAtTick(50 + 2 + 1);  // during the ticks before the second block
    sender.dispatch(Event::control(kSendButton));
    expectOneLossMessage();
    EXPECT_EQ(window.text(kEditor), "KCC");
    EXPECT_EQ(transcript.matching("text 15 Sende").size(), 2u);  // no third piece tried
}

TEST_F(DeviceLoss, MidListing) {
    vanishAtTick(50 + 6 * 4);
    window.texts[kEditor] = "10 PRINT 1\r\n";
    sender.dispatch(Event::control(kSendButton));
    expectOneLossMessage();
    EXPECT_EQ(window.text(kSendButton), "Senden");
    EXPECT_FALSE(sender.state().sending);
    EXPECT_LE(window.ticks, 50 + 6 * 4);  // nothing typed after the loss
}

}  // namespace
}  // namespace morvale::testing

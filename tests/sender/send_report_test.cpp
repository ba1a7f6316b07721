// The engine's reports, as a front-end without a window reads them: what
// went out, and why it ended where it did.
#include <gtest/gtest.h>

#include "listing.h"
#include "recording_link.h"
#include "scripted_window.h"
#include "typing.h"
#include "upload.h"

namespace morvale::testing {
namespace {

using kc::ErrorKind;

class SendReports : public ::testing::Test {
  protected:
    Transcript transcript;
    ScriptedWindow pacer{transcript};
    RecordingLink link{transcript};
};

TEST_F(SendReports, CountWhatWentOutAndTheLineEndThatHandsCaosTheKeyboard) {
    const SendReport typed = typeLine(link, pacer, "COM2", "RUN");
    EXPECT_TRUE(typed.complete());
    EXPECT_EQ(typed.bytesSent, 4);
    EXPECT_TRUE(typed.lineEnded);

    const SendReport key = pressKey(link, pacer, "COM2", 0x03);
    EXPECT_TRUE(key.complete());
    EXPECT_FALSE(key.lineEnded);

    // A stop in the pause after 'B' ends the listing with one line end.
    pacer.eventAtTick[pacer.ticks + 50 + 6 + 3] = Event::control(kSendButton);
    const SendReport listing = sendListing(link, pacer, "COM2", "ABCDEF", kShortPacing);
    EXPECT_TRUE(listing.stopped);
    EXPECT_FALSE(listing.error);
    EXPECT_EQ(listing.bytesSent, 5);  // CR A B, the stop's CR, the closing CR
}

TEST_F(SendReports, SayWhyNothingOrOnlyPartWentOut) {
    link.openSucceeds = false;
    const SendReport closed = typeLine(link, pacer, "COM2", "RUN");
    EXPECT_TRUE(closed.isError(ErrorKind::PortNotOpened));
    EXPECT_EQ(closed.bytesSent, 0);
    link.openSucceeds = true;

    const std::vector<std::uint8_t> image(2048, 0xAA);
    EXPECT_TRUE(sendImage(link, pacer, "COM2", 0xD900, image).isError(ErrorKind::AddressRefused));
    EXPECT_EQ(targetRefusal(0xD900, 2048)->describe(),
              "the image (2048 bytes from D900) would reach into the KC's ROM at E000");

    // A piece the KC held too long is counted, and the upload goes on.
    link.onWrite = [](std::span<const std::uint8_t> bytes) {
        const auto n = static_cast<std::int32_t>(bytes.size());
        return WriteResult{n == 1024 ? n - 1 : n, false};
    };
    const SendReport upload = sendImage(link, pacer, "COM2", 0x300, image);
    EXPECT_EQ(upload.shortPieces, 2);
    EXPECT_FALSE(upload.error);
    EXPECT_EQ(upload.bytesSent, 6 + 2046);

    // A start command left short is an error, not a start.
    link.onWrite = [](std::span<const std::uint8_t> bytes) {
        return WriteResult{std::min<std::int32_t>(static_cast<std::int32_t>(bytes.size()), 1),
                           false};
    };
    EXPECT_TRUE(startProgram(link, pacer, "COM2", 0x300).isError(ErrorKind::PieceShort));

    link.onWrite = [](std::span<const std::uint8_t>) { return WriteResult{0, true}; };
    const SendReport lost = pressKey(link, pacer, "COM2", 0x03);
    EXPECT_TRUE(lost.isError(ErrorKind::DeviceLost));
}

}  // namespace
}  // namespace morvale::testing

#include <gtest/gtest.h>

#include <numeric>

#include "hex_number.h"
#include "memory_upload.h"
#include "sender_fixture.h"

namespace morvale::testing {
namespace {

class Upload : public SenderTest {
  protected:
    void loadImage(std::int32_t length) {
        state().dataBuffer.resize(length);
        std::iota(state().dataBuffer.begin(), state().dataBuffer.end(), std::uint8_t{7});
        state().dataLength = length;
        window.texts[kEditor] = "KCC";
    }
    void uploadTo(std::optional<std::string> answer) {
        window.answers.push_back(std::move(answer));
        click(kSendButton);
    }
    std::vector<std::uint8_t> header() const {
        return {state().headerBuffer.begin(), state().headerBuffer.begin() + 6};
    }
    void expectRefused() {
        ASSERT_EQ(window.messages.size(), 1u);
        EXPECT_EQ(window.messages[0].title, "Warnung");
        EXPECT_EQ(window.messages[0].text, "Ziel liegt im ROM!     ");
        EXPECT_EQ(window.messages[0].icon, MessageIcon::Exclamation);
        EXPECT_TRUE(transcript.matching("open").empty());
        EXPECT_TRUE(transcript.matching("disable").empty());
        window.messages.clear();
    }
};

TEST_F(Upload, PromptIsPresetWithTheLoadAddressAndCancelSendsNothing) {
    loadImage(10);
    uploadTo(std::nullopt);
    EXPECT_TRUE(transcript.entries().empty());
    EXPECT_EQ(window.text(kEditor), "KCC");
    state().loadAddress = 0xABC;
    uploadTo(std::nullopt);
    ASSERT_EQ(window.prompts.size(), 2u);
    EXPECT_EQ(window.prompts[0].title, "Adresse");
    EXPECT_EQ(window.prompts[0].prompt, "Startadresse (Hex) eingeben:");
    EXPECT_EQ(window.prompts[0].preset, "200");
    EXPECT_EQ(window.prompts[1].preset, "ABC");
}

TEST_F(Upload, AfterTypingTheUserIsToldToResetTheKcFirst) {
    window.texts[kCommandLine] = "MENU";
    sender.dispatch(Event::menu(kReturnKeyItem));
    loadImage(5);
    uploadTo(std::nullopt);  // told, then cancelled: told again next time
    uploadTo("300");
    ASSERT_EQ(window.messages.size(), 2u);
    EXPECT_EQ(window.messages[1].title, "Hinweis");
    EXPECT_NE(window.messages[1].text.find("RESET"), std::string::npos);
    EXPECT_EQ(link.sent.size(), 5u + 6u + 5u);  // the command and the upload

    // Once uploaded, the KC was reset: no word until the next line end.
    uploadTo("300");
    EXPECT_EQ(window.messages.size(), 2u);
}

TEST_F(Upload, StartProgramSendsEscUAndTheAddress) {
    EXPECT_TRUE(startProgram(link, window, "COM2", 0x4000).complete());
    EXPECT_EQ(transcript.line(), "1B T50 [55 00 40]");
    EXPECT_TRUE(startProgram(link, window, "COM2", 0x10000).isError(kc::ErrorKind::AddressRefused));
    EXPECT_TRUE(startProgram(link, window, "COM2", -1).isError(kc::ErrorKind::AddressRefused));
    EXPECT_EQ(link.sent.size(), 4u);
}

TEST_F(Upload, HeaderThenPauseThenOnePieceUpToAKilobyte) {
    loadImage(512);
    uploadTo("300");
    EXPECT_EQ(transcript.line(), "1B T50 [54 00 03 00 02] T1 <512 bytes>");
    EXPECT_EQ(header(), (std::vector<std::uint8_t>{0x1B, 0x54, 0x00, 0x03, 0x00, 0x02}));
    std::vector<std::uint8_t> expected = header();
    expected.insert(expected.end(), state().dataBuffer.begin(), state().dataBuffer.end());
    EXPECT_EQ(link.sent, expected);
    EXPECT_EQ(transcript.entries().front(), "open COM2 1024");
    EXPECT_EQ(transcript.matching("text 15"),
              (std::vector<std::string>{"text 15 Sende Daten ...", "text 15 KCC"}));
    EXPECT_EQ(window.text(kEditor), "KCC");
    EXPECT_TRUE(window.messages.empty());
}

TEST_F(Upload, DataTickIsFiveMilliseconds) {
    window.realTime = true;
    loadImage(5);
    uploadTo("1000");
    ASSERT_EQ(window.tickDeadlines.size(), 51u);
    EXPECT_GE(window.tickDeadlines[50] - window.tickDeadlines[49], std::chrono::milliseconds(5));
    EXPECT_EQ(header()[4], 0x05);
    EXPECT_EQ(header()[5], 0x00);
}

TEST_F(Upload, ImageGoesInKilobyteBlocksWithTheRestLast) {
    struct Case {
        std::int32_t length;
        std::string line;
        std::vector<std::string> progress;
    };
    const Case cases[] = {
        {1024,
         "1B T50 [54 00 02 00 04] T1 <1024 bytes>",
         {"text 15 Sende Daten ...", "text 15 KCC"}},
        {1025,
         "1B T50 [54 00 02 01 04] T2 <1024 bytes> T2 07",
         {"text 15 Sende Block 1 von 1 ...", "text 15 Sende den Rest ...", "text 15 KCC"}},
        {2048,
         "1B T50 [54 00 02 00 08] T2 <1024 bytes> T2 <1024 bytes>",
         {"text 15 Sende Block 1 von 2 ...", "text 15 Sende Block 2 von 2 ...", "text 15 KCC"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.length);
        transcript = Transcript{};
        link.sent.clear();
        loadImage(c.length);
        uploadTo("200");
        EXPECT_EQ(transcript.line(), c.line);
        EXPECT_EQ(transcript.matching("text 15"), c.progress);
        std::vector<std::uint8_t> expected = header();
        expected.insert(expected.end(), state().dataBuffer.begin(), state().dataBuffer.end());
        EXPECT_EQ(link.sent, expected);
    }
}

TEST_F(Upload, ShortWriteOfEachPieceIsReportedAndTheUploadGoesOn) {
    loadImage(2500);
    link.onWrite = [](std::span<const std::uint8_t> bytes) {
        const auto n = static_cast<std::int32_t>(bytes.size());
        return WriteResult{n > 5 ? n / 2 : n, false};  // every piece short
    };
    uploadTo("200");
    ASSERT_EQ(window.messages.size(), 3u);
    for (const auto& message : window.messages) {
        EXPECT_EQ(message.title, "Fehler");
        EXPECT_EQ(message.text, "Sendespeicher nicht leer!");
        EXPECT_EQ(message.icon, MessageIcon::None);
    }
    EXPECT_EQ(transcript.matching("text 15").back(), "text 15 KCC");
    EXPECT_TRUE(window.isEnabled(kSendButton));
}

TEST_F(Upload, DeviceThatFailsIsReportedOnceAndEndsTheUpload) {
    loadImage(4096);
    int writes = 0;
    link.onWrite = [&](std::span<const std::uint8_t> bytes) {
        return ++writes == 3 ? WriteResult{100, true}
                             : WriteResult{static_cast<std::int32_t>(bytes.size()), false};
    };
    uploadTo("200");
    EXPECT_EQ(writes, 3);
    EXPECT_EQ(window.messages.size(), 1u);
    EXPECT_EQ(window.text(kEditor), "KCC");
    EXPECT_TRUE(window.isEnabled(kLoadButton));
    EXPECT_FALSE(link.isOpen());
}

TEST_F(Upload, ControlsAreDisabledAndEnabledInOrder) {
    loadImage(10);
    window.enabled[kEditor] = false;
    uploadTo("200");
    std::vector<std::string> expected = {"disable 16", "disable 2", "disable 1"};
    for (int id = 3; id <= 14; ++id) {
        expected.push_back("disable " + std::to_string(id));
    }
    EXPECT_EQ(transcript.matching("disable"), expected);
    std::vector<std::string> enabledAgain = {"enable 16", "enable 2", "enable 1"};
    for (int id = 3; id <= 14; ++id) {
        enabledAgain.push_back("enable " + std::to_string(id));
    }
    EXPECT_EQ(transcript.matching("enable"), enabledAgain);
    EXPECT_FALSE(window.isEnabled(kEditor));
}

TEST_F(Upload, LeavesTheImageReadyForAnotherUpload) {
    loadImage(100);
    const auto image = state().dataBuffer;
    state().loadAddress = 0x300;
    uploadTo("4000");
    EXPECT_EQ(state().dataBuffer, image);
    EXPECT_EQ(state().dataLength, 100);
    EXPECT_EQ(state().loadAddress, 0x300);
}

TEST_F(Upload, RefusesTargetsInTheRom) {
    loadImage(16);
    for (const char* answer : {"E000", "e000", "FFFF", "10000", "80000000", "FFFFFFFF"}) {
        uploadTo(answer);
        expectRefused();
    }
    loadImage(0);
    uploadTo("E000");
    expectRefused();
}

TEST_F(Upload, ImageMayEndAtTheLastRamAddressButNotReachTheRom) {
    loadImage(512);
    uploadTo("DF00");
    expectRefused();
    uploadTo("DE00");
    EXPECT_TRUE(window.messages.empty());
    EXPECT_EQ(transcript.matching("open").size(), 1u);

    loadImage(1);
    uploadTo("DFFF");
    EXPECT_TRUE(window.messages.empty());
    EXPECT_EQ(header()[2], 0xFF);
    EXPECT_EQ(header()[3], 0xDF);
}

TEST_F(Upload, AnswerIsReadAsHexFromItsFirstCharacter) {
    loadImage(0x234);
    uploadTo("2G0");
    EXPECT_EQ(header(), (std::vector<std::uint8_t>{0x1B, 0x54, 0x02, 0x00, 0x34, 0x02}));
    for (const char* zero : {" 200", "0x200", "", "$200"}) {
        uploadTo(zero);
        EXPECT_EQ(header()[2], 0x00) << zero;
        EXPECT_EQ(header()[3], 0x00) << zero;
    }
    EXPECT_EQ(transcript.matching("open").size(), 5u);
}

TEST_F(Upload, PortThatDoesNotOpenLeavesTheControlsAloneAndSaysWhyAtTheSendButton) {
    loadImage(10);
    link.openSucceeds = false;
    uploadTo("200");
    EXPECT_EQ(transcript.entries(),
              (std::vector<std::string>{"open COM2 1024 failed", "notice 2 COM2 gibt es nicht"}));
    EXPECT_TRUE(window.messages.empty());
}

TEST_F(Upload, MarkerTypedByHandUploadsWhatTheBufferHolds) {
    window.texts[kEditor] = "KCB";
    uploadTo("200");
    EXPECT_EQ(transcript.line(), "1B T50 [54 00 02 00 00] T1 []");
    EXPECT_TRUE(window.messages.empty());
}

TEST(HexNumber, ReadsLeadingDigitsOnly) {
    EXPECT_EQ(readHex("200"), 0x200);
    EXPECT_EQ(readHex("dfff"), 0xDFFF);
    EXPECT_EQ(readHex("2G0"), 2);
    EXPECT_EQ(readHex(" 200"), 0);
    EXPECT_EQ(readHex("0x200"), 0);
    EXPECT_EQ(readHex("-1"), 0);
    EXPECT_EQ(readHex(""), 0);
}

TEST(HexNumber, KeepsTheLastEightDigitsAsASigned32BitValue) {
    EXPECT_EQ(readHex("123456789"), 0x23456789);
    EXPECT_EQ(readHex("7FFFFFFF"), 0x7FFFFFFF);
    EXPECT_EQ(readHex("80000000"), INT32_MIN);
    EXPECT_EQ(readHex("FFFFFFFF"), -1);
}

TEST(HexNumber, WritesUpperCaseWithoutLeadingZeros) {
    EXPECT_EQ(formatHex(0), "0");
    EXPECT_EQ(formatHex(0x200), "200");
    EXPECT_EQ(formatHex(0xABCDEF), "ABCDEF");
    EXPECT_EQ(formatHex(-1), "FFFFFFFF");
}

TEST(HexNumber, SixteenBitFieldGoesThroughFourDigits) {
    EXPECT_EQ(hexField16(0x234), (std::array<std::uint8_t, 2>{0x34, 0x02}));
    EXPECT_EQ(hexField16(5), (std::array<std::uint8_t, 2>{0x05, 0x00}));
    EXPECT_EQ(hexField16(0xFFFF), (std::array<std::uint8_t, 2>{0xFF, 0xFF}));
    // Longer values keep their first four digits.
    EXPECT_EQ(hexField16(0x12345), (std::array<std::uint8_t, 2>{0x34, 0x12}));
    EXPECT_EQ(hexField16(-2), (std::array<std::uint8_t, 2>{0xFF, 0xFF}));
}

TEST_F(Upload, ClickOnTheSendButtonStopsItBeforeTheNextPiece) {
    loadImage(3000);
    window.eventAtTick[53] = Event::control(kSendButton);  // before the second block
    uploadTo("200");
    EXPECT_EQ(transcript.line(), "1B T50 [54 00 02 B8 0B] T2 <1024 bytes> T2");
    EXPECT_TRUE(window.messages.empty());
    EXPECT_EQ(window.text(kEditor), "KCC");
    EXPECT_FALSE(link.isOpen());
}

TEST_F(Upload, PlanCountsItsBytesAndPauses) {
    loadImage(2500);
    uploadTo("200");
    const TransferPlan plan = planUpload(2500);
    EXPECT_EQ(plan.bytes, static_cast<std::int64_t>(link.sent.size()));
    EXPECT_EQ(plan.pauses, std::chrono::milliseconds(window.ticks));  // ticks of 1 ms
    EXPECT_EQ(planUpload(5).pauses, std::chrono::milliseconds(50 + 5));
}

}  // namespace
}  // namespace morvale::testing

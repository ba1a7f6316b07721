#include <gtest/gtest.h>

#include "sender_fixture.h"
#include "text_transfer.h"

namespace morvale::testing {
namespace {

// The line activity for characters that each get the short pause.
std::string typed(std::string_view chars) {
    std::string result;
    for (const char c : chars) {
        char hex[8];
        std::snprintf(hex, sizeof hex, "%02X T6", static_cast<unsigned char>(c));
        result += (result.empty() ? "" : " ") + std::string(hex);
    }
    return result;
}

class TextTransfer : public SenderTest {
  protected:
    void send(std::string text) {
        window.texts[kEditor] = std::move(text);
        click(kSendButton);
    }
};

TEST_F(TextTransfer, TypesEachLineWithItsPausesAndEndsWithALineEnd) {
    const std::string forty = typed(std::string(39, 'X')) + " 58 T50";
    const std::pair<std::string, std::string> cases[] = {
        {"10 PRINT 1\r\n20 END\r\n",
         "0D T50 " + typed("10 PRINT 1") + " 0D T50 " + typed("20 END") + " 0D T50"},
        // A long pause after every fortieth character of a line.
        {std::string(100, 'X'),
         "0D T50 " + forty + " " + forty + " " + typed(std::string(20, 'X')) + " 0D"},
        // The line end counts as the first character of the next line.
        {"AAAAA\r\n" + std::string(45, 'B'), "0D T50 " + typed("AAAAA") + " 0D T50 " +
                                                 typed(std::string(38, 'B')) + " 42 T50 " +
                                                 typed(std::string(6, 'B')) + " 0D"},
        // Line feeds alone are not an empty text.
        {"\n\n\n", "0D T50 0D"},
        // Trailing spaces after the last line end get no extra line end, a tab does.
        {"AB\r\n  ", "0D T50 " + typed("AB") + " 0D T50 " + typed("  ")},
        {"A\r\n\t", "0D T50 41 T6 0D T50 09 T6 0D"},
    };
    for (const auto& [text, line] : cases) {
        SCOPED_TRACE(text);
        transcript = Transcript{};
        send(text);
        EXPECT_EQ(transcript.line(), line);
        EXPECT_EQ(window.beeps, 0);
    }
}

TEST_F(TextTransfer, KcSchedulePausesLongWhereTheKcIsBusy) {
    state().textPacing = TextPacing{};
    send("AB\r\n" + std::string(40, 'C'));
    const std::string forty = typed(std::string(38, 'C')) + " 43 T450 43 T6";
    EXPECT_EQ(transcript.line(), "0D T600 41 T6 42 T6 0D T600 " + forty + " 0D");

    // The pause after a line end grows with what was typed before it.
    state().textPacing.lineEndGrowthPerKilo = 1000;
    transcript = Transcript{};
    send("AB\r\nC\r\n");
    EXPECT_EQ(transcript.line(), "0D T600 41 T6 42 T6 0D T603 43 T6 0D T605");
    EXPECT_EQ(planText("AB\r\nC\r\n", state().textPacing).pauses,
              std::chrono::milliseconds(600 + 6 + 6 + 603 + 6 + 605));
}

TEST_F(TextTransfer, LinesLongerThanBasicKeepsAreSentWholeWithOneNotice) {
    const std::string line(74, 'X');
    EXPECT_EQ(overlongLines(std::string(73, 'X') + "\r\n" + line + "\r\nA\r\n" + line),
              (std::vector<int>{2, 4}));
    EXPECT_EQ(overlongLines("\r\n" + line + line), (std::vector<int>{2}));

    send("A\r\n" + line + "\r\n");
    EXPECT_EQ(transcript.line(), "0D T50 41 T6 0D T50 " + typed(std::string(38, 'X')) + " 58 T50 " +
                                     typed(std::string(35, 'X')) + " 0D T50");
    ASSERT_EQ(window.notices.size(), 1u);
    EXPECT_EQ(
        window.notices[0],
        std::pair(int{kSendButton},
                  std::string("Zeile 2 ist l\xE4nger als 73 Zeichen \x96 BASIC beh\xE4lt nur 73")));

    window.notices.clear();
    std::string many;
    for (int i = 0; i < 7; ++i) {
        many += line + "\r\n";
    }
    send(many);
    ASSERT_EQ(window.notices.size(), 1u);
    EXPECT_EQ(window.notices[0].second,
              "Zeilen 1, 2, 3, 4, 5 und 2 weitere sind l\xE4nger als 73 Zeichen \x96 BASIC "
              "beh\xE4lt nur 73");
}

TEST_F(TextTransfer, EmptyEditorOnlyBeeps) {
    send("");
    EXPECT_EQ(window.beeps, 1);
    EXPECT_TRUE(transcript.matching("open").empty());
    EXPECT_EQ(transcript.entries().size(), 1u);
}

TEST_F(TextTransfer, PortThatDoesNotOpenLeavesEverythingAloneAndSaysWhyAtTheSendButton) {
    link.openSucceeds = false;
    send("10 END\r\n");
    EXPECT_EQ(transcript.entries(),
              (std::vector<std::string>{"open COM2 512 failed", "notice 2 COM2 gibt es nicht"}));
    EXPECT_EQ(window.beeps, 0);
}

TEST_F(TextTransfer, ControlsAndColoursWhileSending) {
    bool sawSending = false;
    link.onWrite = [&](std::span<const std::uint8_t> bytes) {
        sawSending = sawSending || state().sending;
        EXPECT_EQ(window.text(kSendButton), "Abbruch");
        EXPECT_EQ(window.background, (Rgb{0xFF, 0, 0}));
        EXPECT_FALSE(window.isEnabled(kLoadButton));
        EXPECT_FALSE(window.isEnabled(kCommandLine));
        EXPECT_TRUE(window.isEnabled(kSendButton));
        return WriteResult{static_cast<std::int32_t>(bytes.size()), false};
    };
    send("A");
    EXPECT_TRUE(sawSending);
    EXPECT_FALSE(state().sending);

    std::vector<std::string> expected = {"open COM2 512", "background red", "text 2 Abbruch",
                                         "disable 1", "disable 16"};
    for (int id = 3; id <= 14; ++id) {
        expected.push_back("disable " + std::to_string(id));
    }
    expected.insert(expected.end(),
                    {"W 0D", "T50", "W 41", "T6", "W 0D", "close", "enable 1", "enable 16"});
    for (int id = 3; id <= 14; ++id) {
        expected.push_back("enable " + std::to_string(id));
    }
    expected.insert(expected.end(), {"background other", "text 2 Senden"});
    EXPECT_EQ(transcript.entries(), expected);
    EXPECT_EQ(window.background, (Rgb{0xFF, 0xFF, 0xFF}));
    EXPECT_EQ(window.text(kEditor), "A");
}

TEST_F(TextTransfer, ClickWhileTheKcWakesUpAndOtherEventsDoNotStopIt) {
    window.eventAtTick[3] = Event::close();
    window.eventAtTick[10] = Event::control(kSendButton);
    window.eventAtTick[52] = Event::close();
    window.eventAtTick[53] = Event::menu(3);
    window.eventAtTick[54] = Event::control(kLoadButton);
    send("AB");
    EXPECT_EQ(transcript.line(), "0D T50 41 T6 42 T6 0D");
    EXPECT_FALSE(state().quit);
    EXPECT_EQ(state().portName, "COM2");
}

TEST_F(TextTransfer, AbortWritesALineEndAtOnceAndEndsTheLoop) {
    window.eventAtTick[50 + 6 + 3] = Event::control(kSendButton);  // third tick after 'B'
    send("ABCDEF");
    EXPECT_EQ(transcript.line(), "0D T50 41 T6 42 T3 0D 0D");
    EXPECT_EQ(window.text(kSendButton), "Senden");
    EXPECT_EQ(window.background, (Rgb{0xFF, 0xFF, 0xFF}));
    EXPECT_TRUE(window.isEnabled(kLoadButton));
    EXPECT_FALSE(state().sending);
}

TEST_F(TextTransfer, AbortAfterALineEndNeedsNoSecondLineEnd) {
    window.eventAtTick[50 + 6 + 1] = Event::control(kSendButton);  // first tick after the CR
    send("A\r\nB\r\n");
    EXPECT_EQ(transcript.line(), "0D T50 41 T6 0D T1 0D");
}

TEST_F(TextTransfer, DeviceThatFailsEndsTheTransferLikeAnAbort) {
    int writes = 0;
    link.onWrite = [&](std::span<const std::uint8_t>) {
        return ++writes >= 3 ? WriteResult{0, true} : WriteResult{1, false};
    };
    send(std::string(500, 'X'));
    EXPECT_LE(writes, 4);
    EXPECT_LT(window.ticks, 100);
    EXPECT_EQ(window.text(kSendButton), "Senden");
    EXPECT_TRUE(window.isEnabled(kCommandLine));
    EXPECT_FALSE(link.isOpen());
}

TEST_F(TextTransfer, LeavesTextAndImageAlone) {
    state().dataLength = 3;
    state().loadAddress = 0x1234;
    send("10 END\r\n");
    EXPECT_EQ(window.text(kEditor), "10 END\r\n");
    EXPECT_EQ(state().dataLength, 3);
    EXPECT_EQ(state().loadAddress, 0x1234);
}

TEST_F(TextTransfer, PlanCountsItsBytesAndPauses) {
    for (const std::string& text : std::vector<std::string>{
             "10 PRINT 1\r\n20 END\r\n", std::string(100, 'X') + "\r\n  ", "AB"}) {
        SCOPED_TRACE(text);
        link.sent.clear();
        window.ticks = 0;
        send(text);
        const TransferPlan plan = planText(text, state().textPacing);
        EXPECT_EQ(plan.bytes, static_cast<std::int64_t>(link.sent.size()));
        EXPECT_EQ(plan.pauses, std::chrono::milliseconds(window.ticks));
    }
    EXPECT_EQ(planText("").bytes, 0);
}

}  // namespace
}  // namespace morvale::testing

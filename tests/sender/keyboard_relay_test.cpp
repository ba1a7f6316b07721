#include <gtest/gtest.h>

#include <thread>

#include "controls.h"
#include "pacer.h"
#include "sender_fixture.h"

namespace morvale::testing {
namespace {

using namespace std::chrono_literals;

using KeyboardRelay = SenderTest;

TEST_F(KeyboardRelay, TypesEachCharacterWithSixTicksThenCarriageReturn) {
    window.texts[kCommandLine] = "LIST 10";
    sender.dispatch(Event::menu(kReturnKeyItem));

    EXPECT_EQ(transcript.line(), "4C T6 49 T6 53 T6 54 T6 20 T6 31 T6 30 T6 0D");
    EXPECT_EQ(transcript.entries().front(), "open COM2 512");
    EXPECT_EQ(transcript.entries().back(), "text 16 ");
    EXPECT_EQ(link.lastSettings.handshake, 3);
    EXPECT_FALSE(link.isOpen());

    // Latin-1 characters go out as single bytes; an empty line is only CR.
    for (const auto& [typed, line] : {std::pair{"\xC4\xD6", "C4 T6 D6 T6 0D"}, {"", "0D"}}) {
        transcript = Transcript{};
        window.texts[kCommandLine] = typed;
        sender.dispatch(Event::menu(kReturnKeyItem));
        EXPECT_EQ(transcript.line(), line) << typed;
    }
}

TEST_F(KeyboardRelay, ReturnOutsideTheCommandLineSendsNothing) {
    window.texts[kCommandLine] = "RUN";
    for (int focus : {int{kEditor}, int{kSendButton}, -1}) {
        window.focus = focus;
        sender.dispatch(Event::menu(kReturnKeyItem));
    }
    EXPECT_TRUE(transcript.entries().empty());
    EXPECT_EQ(window.text(kCommandLine), "RUN");
}

TEST_F(KeyboardRelay, PortThatDoesNotOpenSendsNothingAndSaysWhyAtTheControlUsed) {
    link.openSucceeds = false;
    window.texts[kCommandLine] = "RUN";
    sender.dispatch(Event::menu(kReturnKeyItem));
    click(10);
    EXPECT_EQ(transcript.line(), "");
    EXPECT_TRUE(link.sent.empty());
    EXPECT_EQ(window.text(kCommandLine), "RUN");
    EXPECT_EQ(window.ticks, 0);
    EXPECT_EQ(window.notices,
              (std::vector<std::pair<int, std::string>>{{kCommandLine, "COM2 gibt es nicht"},
                                                        {10, "COM2 gibt es nicht"}}));
}

TEST_F(KeyboardRelay, EachKeyButtonSendsItsCodeAlone) {
    const std::uint8_t expected[] = {0xF1, 0xF2, 0xF3, 0xF4, 0xF5, 0xF6,
                                     0x03, 0x13, 0x1A, 0x1F, 0x01, 0x10};
    for (int id = kFirstKeyButton; id <= kLastKeyButton; ++id) {
        link.sent.clear();
        click(id);
        EXPECT_EQ(link.sent, std::vector<std::uint8_t>{expected[id - kFirstKeyButton]}) << id;
        EXPECT_FALSE(link.isOpen());
    }
    EXPECT_EQ(window.ticks, 0);
    EXPECT_FALSE(keyCode(kEditor));
    EXPECT_FALSE(keyCode(kSendButton));
}

using Dispatch = SenderTest;

TEST_F(Dispatch, StartsOnCom2AndThePortMenuChoosesThePortOfLaterOperations) {
    EXPECT_EQ(state().portName, "COM2");
    EXPECT_EQ(window.checkedPortItem, 2);
    sender.dispatch(Event::menu(3));
    EXPECT_EQ(state().portName, "COM3");
    EXPECT_EQ(window.checkedPortItem, 3);
    sender.dispatch(Event::menu(3));
    EXPECT_EQ(window.checkedPortItem, 3);
    click(3);
    EXPECT_EQ(transcript.entries().front(), "open COM3 512");
    sender.dispatch(Event::menu(1));
    EXPECT_EQ(state().portName, "COM1");
}

TEST_F(Dispatch, IgnoresWhatIsNotInTheTable) {
    sender.dispatch(Event::menu(5));
    sender.dispatch(Event::menu(0));
    click(kEditor);
    click(kCommandLine);
    click(0);
    sender.dispatch(Event::none());
    EXPECT_TRUE(transcript.entries().empty());
    EXPECT_EQ(state().portName, "COM2");
    EXPECT_FALSE(state().quit);
}

TEST_F(Dispatch, CloseRequestEndsTheLoop) {
    window.events = {Event::menu(4), Event::control(5), Event::close(), Event::control(6)};
    sender.run();
    EXPECT_TRUE(state().quit);
    EXPECT_EQ(state().portName, "COM4");
    EXPECT_EQ(link.sent, std::vector<std::uint8_t>{0xF3});
    EXPECT_EQ(window.events.size(), 1u);
}

TEST_F(Dispatch, SendButtonUploadsOnlyWhenTheEditorShowsAMarker) {
    for (const auto& [text, marker] :
         std::initializer_list<std::pair<const char*, bool>>{{"BIN\xC4R", true},
                                                             {"KCC", true},
                                                             {"KCB", true},
                                                             {"kcc", false},
                                                             {"KCC\r\n", false},
                                                             {"BINAR", false},
                                                             {" KCB", false}}) {
        window.prompts.clear();
        window.texts[kEditor] = text;
        click(kSendButton);
        EXPECT_EQ(window.prompts.size(), marker ? 1u : 0u) << text;
    }
    EXPECT_EQ(transcript.matching("open").size(), 4u);
}

TEST(Pause, KeepsAnAbsoluteScheduleFromItsStart) {
    Transcript transcript;
    ScriptedWindow window(transcript);
    window.eventAtTick[2] = Event::control(kSendButton);
    const auto before = Clock::now();
    Pause pause(window, 1ms);
    for (int k = 0; k < 5; ++k) {
        static_cast<void>(pause.tick());
    }
    const auto after = Clock::now();
    ASSERT_EQ(window.tickDeadlines.size(), 5u);
    for (int k = 1; k < 5; ++k) {
        EXPECT_EQ(window.tickDeadlines[k] - window.tickDeadlines[k - 1], 1ms);
    }
    EXPECT_GE(window.tickDeadlines[0], before + 1ms);
    EXPECT_LE(window.tickDeadlines[0], after + 1ms);
}

TEST(Pause, StartsAfreshSoEarlierWorkDoesNotCount) {
    Transcript transcript;
    ScriptedWindow window(transcript);
    pauseTicks(window, 2, 5ms);
    std::this_thread::sleep_for(20ms);  // a slow write between two pauses
    const auto secondStart = Clock::now();
    pauseTicks(window, 2, 5ms);
    // Continuing the first pause's schedule would put this deadline in the past.
    EXPECT_GE(window.tickDeadlines[2], secondStart + 5ms);
}

}  // namespace
}  // namespace morvale::testing

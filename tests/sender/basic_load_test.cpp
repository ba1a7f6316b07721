// Loading a BASIC program: the keys that bring the KC into BASIC with its
// command state back, the program and BASIC's pointers by ESC T, and the
// line end that hands BASIC its keyboard.
#include <gtest/gtest.h>

#include <string>

#include "basic_load.h"
#include "recording_link.h"
#include "scripted_window.h"

namespace morvale::testing {
namespace {

using Bytes = std::vector<std::uint8_t>;

// 10 PRINT, stored from 0401h: link 0407h, number 10, PRINT, its zero byte,
// then the closing link.
const kc::BasicProgram kProgram{{{10, {0x9E}}}};
const Bytes kImage = {0x07, 0x04, 0x0A, 0x00, 0x9E, 0x00, 0x00, 0x00};

Bytes typed(std::string_view keys) {
    return Bytes(keys.begin(), keys.end());
}

std::string hex(const Bytes& bytes) {
    std::string text;
    for (const auto b : bytes) {
        char two[4];
        std::snprintf(two, sizeof two, "%02X ", b);
        text += two;
    }
    return text;
}

class BasicLoad : public ::testing::Test {
  protected:
    Transcript transcript;
    ScriptedWindow pacer{transcript};
    RecordingLink link{transcript};
};

TEST_F(BasicLoad, TypesItsWayIntoBasicThenUploadsTheProgramAndItsPointers) {
    for (const bool isProtected : {false, true}) {
        link.sent.clear();
        const SendReport report =
            loadBasicProgram(link, pacer, "COM2", kProgram, isProtected, nullptr);
        EXPECT_TRUE(report.complete());
        EXPECT_TRUE(report.lineEnded);

        Bytes expected = typed("\rBASIC\r\rDOKE 482,-1305:NEW\r");
        const Bytes program = {0x1B, 'T', 0x01, 0x04, 0x08, 0x00};
        const Bytes pointers = {0x1B, 'T',  0xD7, 0x03, 0x06, 0x00,
                                0x09, 0x04, 0x09, 0x04, 0x09, 0x04};
        const Bytes protection = {0x1B, 'T', 0x5E, 0x03, 0x01, 0x00, 0xD3};
        expected.insert(expected.end(), program.begin(), program.end());
        expected.insert(expected.end(), kImage.begin(), kImage.end());
        expected.insert(expected.end(), pointers.begin(), pointers.end());
        if (isProtected) {
            expected.insert(expected.end(), protection.begin(), protection.end());
        }
        expected.push_back(0x0D);
        EXPECT_EQ(hex(link.sent), hex(expected)) << isProtected;
        EXPECT_EQ(report.bytesSent, static_cast<std::int64_t>(expected.size()));
        EXPECT_EQ(planBasicLoad(kImage.size(), isProtected).bytes, report.bytesSent);
    }
    // The pauses after the line ends: CAOS or BASIC answers, the cold start
    // tests the memory.
    const std::string line = transcript.line();
    EXPECT_NE(line.find("0D T600 42 T6"), std::string::npos) << line;
    EXPECT_NE(line.find("43 T6 0D T600 0D T4500 44 T6"), std::string::npos) << line;
    EXPECT_NE(line.find("57 T6 0D T600 1B T50"), std::string::npos) << line;
}

TEST_F(BasicLoad, StopsInAPauseAndRefusesAProgramReachingTheVideoMemory) {
    // Clicked during the cold start's memory test: nothing is uploaded.
    pacer.eventAtTick[pacer.ticks + 600 + 6 * 5 + 600 + 100] = Event::control(kSendButton);
    const SendReport stopped = loadBasicProgram(link, pacer, "COM2", kProgram, false, nullptr);
    EXPECT_TRUE(stopped.stopped);
    EXPECT_EQ(link.sent, typed("\rBASIC\r\r"));

    link.sent.clear();
    const kc::BasicProgram large{{{10, Bytes(kLargestLoadableProgram - 7, 'A')}}};
    EXPECT_FALSE(basicLoadRefusal(kc::programImageSize(large)));
    const kc::BasicProgram tooLarge{{{10, Bytes(kLargestLoadableProgram - 6, 'A')}}};
    const SendReport refused = loadBasicProgram(link, pacer, "COM2", tooLarge, false, nullptr);
    EXPECT_TRUE(refused.isError(kc::ErrorKind::TooLong));
    EXPECT_TRUE(link.sent.empty());
}

}  // namespace
}  // namespace morvale::testing

// The window hears the KC: a BASIC program and memory fetched into files,
// uploads read back, through a link whose far end answers as scripted.
#include <gtest/gtest.h>

#include "kcc_header.h"
#include "memory_sender.h"
#include "scratch_dir.h"
#include "sender_fixture.h"
#include "sss.h"

namespace morvale::testing {
namespace {

using namespace std::chrono_literals;
using Bytes = std::vector<std::uint8_t>;

constexpr std::string_view kMissing = "<missing>";
const std::string kListing = "\r\n10 PRINT \"\xC4\"\r\n20 END\r\n";
const Bytes kMemory = {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16};

std::string text(const Bytes& bytes) {
    return {bytes.begin(), bytes.end()};
}

Bytes frame(std::uint16_t from, Bytes memory = kMemory) {
    return kc::memoryFrame(from, memory);
}

class KcFetch : public SenderTest {
  protected:
    KcFetch() {
        state().hearingLimits = {150ms, 150ms};
        window.texts[kEditor] = "before";
    }
    template <typename Bytes>
    void answer(const Bytes& bytes) {
        link.answer.assign(bytes.begin(), bytes.end());
    }
    void startAfresh() {
        transcript = Transcript{};
        window.messages.clear();
        window.notices.clear();
        link.sent.clear();
    }
    void choose(int menuId) { sender.dispatch(Event::menu(menuId)); }
    std::string lastMessage() const {
        return window.messages.empty() ? "" : window.messages.back().text;
    }
    // A message box holding words, or none when words are empty.
    void expectMessage(const std::string& words) {
        if (words.empty()) {
            EXPECT_TRUE(window.messages.empty()) << lastMessage();
        } else {
            EXPECT_NE(lastMessage().find(words), std::string::npos) << lastMessage();
        }
    }
    void expectControlsBack() {
        EXPECT_EQ(window.text(kEditor), "before");
        EXPECT_EQ(window.text(kSendButton), "Senden");
        EXPECT_TRUE(window.isEnabled(kLoadButton));
        EXPECT_TRUE(window.isEnabled(kCommandLine));
        EXPECT_FALSE(link.isOpen());
    }

    const ScratchDir directory_;
};

TEST_F(KcFetch, BasicProgramIsWrittenOnlyWhenItCameWhole) {
    struct Case {
        std::string name;
        std::string answer;
        bool stopped;  // by a click on "Abbruch" once the command went out
        std::string file;
        std::string message;  // part of it; empty: none
    };
    const std::string listing = kListing + "\x03";
    const Case cases[] = {
        {"cut.bas", kListing, false, std::string(kMissing), "nach 2 Zeilen aufgeh\xF6rt"},
        {"none.txt", "", false, std::string(kMissing), "mit seinem Prompt \">\""},
        {"stop.bas", "", true, std::string(kMissing), ""},
        {"Prog.SSS", listing, false,
         text(kc::writeSss({{{10, {0x9E, ' ', '"', 0xC4, '"'}}, {20, {0x80}}}})), ""},
        {"prog.bas", listing, false, "10 PRINT \"\xC3\x84\"\n20 END\n", ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        startAfresh();
        window.savePaths.push_back(directory_ / c.name);
        window.onTick = [&](int tick) {
            if (c.stopped && link.sent.size() == 14) {
                window.eventAtTick[tick] = Event::control(kSendButton);
            }
        };
        answer(c.answer);
        choose(kSaveBasicItem);
        EXPECT_EQ(directory_.read(c.name), c.file);
        expectMessage(c.message);
        EXPECT_EQ(window.notices.size(), c.file == kMissing ? 0u : 1u);
        EXPECT_EQ(transcript.matching("text 2"),
                  (std::vector<std::string>{"text 2 Abbruch", "text 2 Senden"}));
        expectControlsBack();
    }
    const std::string_view command = "\rLIST#3\"PROG\"\r";
    EXPECT_EQ(link.sent, Bytes(command.begin(), command.end()));
    EXPECT_EQ(transcript.matching("text 15"),
              (std::vector<std::string>{"text 15 Empfange vom KC ...",
                                        "text 15 Empfange vom KC ... 25 Bytes", "text 15 before"}));
    EXPECT_TRUE(state().kcTakesKeys);
    EXPECT_EQ(window.saveDialogs.back(),
              "BASIC-Programm speichern|BASIC-Listings|*.bas;*.txt|BASIC-Programme|*.sss");
}

TEST_F(KcFetch, MemoryIsWrittenAsKccWithItsHeaderOrRawAndNothingWhenItCameWrong) {
    const auto header = kc::makeKccHeader("DUMP", {0x300, 0x310});
    Bytes garbled = frame(0x300);
    garbled[10] ^= 1;
    struct Case {
        std::string name;
        Bytes answer;
        std::string file;
        std::string message;
    };
    const Case cases[] = {
        {"dump.kcc", frame(0x300), text(Bytes(header.begin(), header.end())) + text(kMemory), ""},
        {"dump.bin", frame(0x300), text(kMemory), ""},
        {"garbled.bin", garbled, std::string(kMissing), "fsumme stimmt nicht"},
        {"none.kcc", {}, std::string(kMissing), "Der KC antwortet nicht. Bitte RESET am KC"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        startAfresh();
        window.answers = {"300", "30F"};
        window.savePaths.push_back(directory_ / c.name);
        answer(c.answer);
        choose(kSaveMemoryItem);
        EXPECT_EQ(directory_.read(c.name), c.file);
        expectMessage(c.message);
        expectControlsBack();
    }
    // The first prompts start from the load address, the later ones from the
    // last range.
    ASSERT_EQ(window.prompts.size(), 8u);
    EXPECT_EQ(window.prompts[0].prompt + window.prompts[0].preset, "Von Adresse (Hex):200");
    EXPECT_EQ(window.prompts[1].prompt + window.prompts[1].preset, "Bis Adresse (Hex):2FF");
    EXPECT_EQ(window.prompts[3].preset, "30F");
    EXPECT_EQ(window.saveDialogs.back(),
              "Speicher speichern|KCC-Dateien|*.kcc|Bin\xE4r-Dateien|*.bin");
}

TEST_F(KcFetch, RangeThatIsNoneIsRefusedAndOneOverTheRoutineIsWarnedOf) {
    struct Case {
        std::string from, to;
        std::string title;  // of the message; empty: none
        bool asksForTheFile;
    };
    const Case cases[] = {
        {"", "10", "Fehler", false},   {"10000", "1", "Fehler", false},
        {"3G", "40", "Fehler", false}, {"400", "3FF", "Fehler", false},
        {" 300 ", "300", "", true},    {"B000", "BFFF", "Hinweis", true},
        {"B775", "FFFF", "", true},    {"0", "B700", "Hinweis", true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.from + "-" + c.to);
        startAfresh();
        window.saveDialogs.clear();
        window.answers = {c.from, c.to};
        choose(kSaveMemoryItem);
        EXPECT_EQ(window.messages.empty() ? "" : window.messages[0].title, c.title);
        EXPECT_EQ(window.saveDialogs.size(), c.asksForTheFile ? 1u : 0u);
    }
    EXPECT_TRUE(transcript.matching("open").empty());
}

TEST_F(KcFetch, PortThatDoesNotOpenChangesNothingButTheNotice) {
    link.openSucceeds = false;
    window.savePaths = {directory_ / "a.bas", directory_ / "a.kcc"};
    window.answers = {"300", "30F"};
    choose(kSaveBasicItem);
    choose(kSaveMemoryItem);
    EXPECT_EQ(transcript.entries(),
              (std::vector<std::string>{"open COM2 1024 failed", "notice 2 COM2 gibt es nicht",
                                        "open COM2 1024 failed", "notice 2 COM2 gibt es nicht"}));
    EXPECT_TRUE(window.messages.empty());
}

TEST_F(KcFetch, UploadIsReadBackOnlyWithTheItemOn) {
    const auto upload = [&](std::string address, const Bytes& kcAnswer) {
        startAfresh();
        state().dataBuffer = kMemory;
        state().dataLength = static_cast<std::int32_t>(kMemory.size());
        window.texts[kEditor] = "KCC";
        window.answers = {std::move(address)};
        answer(kcAnswer);
        sender.dispatch(Event::control(kSendButton));
    };
    upload("300", frame(0x300));
    EXPECT_EQ(transcript.line(), "1B T50 [54 00 03 10 00] T1 <16 bytes>");
    EXPECT_EQ(transcript.matching("open").size(), 1u);

    choose(kCheckUploadsItem);
    EXPECT_TRUE(window.kcItemChecks[kCheckUploadsItem]);
    Bytes differing = kMemory;
    differing[5] = 0xFF;
    struct Case {
        std::string address;
        Bytes answer;
        std::string said;  // a message, or the notice when none
        std::size_t opens;
    };
    const Case cases[] = {
        {"300", frame(0x300), "der KC h\xE4lt das Abbild.", 2},
        {"300", frame(0x300, differing),
         "Der Speicher des KC weicht ab Adresse 305 vom hochgeladenen Abbild ab.", 2},
        {"300", {}, "Der KC antwortet nicht. Bitte RESET am KC", 2},
        {"B6F8", {}, "ber B700 bis B774, wo die Leseroutine laufen m", 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.said);
        upload(c.address, c.answer);
        const std::string said =
            window.messages.empty() ? window.notices.at(0).second : lastMessage();
        EXPECT_NE(said.find(c.said), std::string::npos) << said;
        EXPECT_EQ(transcript.matching("open").size(), c.opens);
        EXPECT_EQ(window.text(kEditor), "KCC");
    }
    choose(kCheckUploadsItem);
    EXPECT_FALSE(window.kcItemChecks[kCheckUploadsItem]);
    EXPECT_FALSE(state().checkUploads);
}

}  // namespace
}  // namespace morvale::testing

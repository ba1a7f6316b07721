// The window's BASIC load: program files, a KCB holding a program and the
// editor's listing go into HC-BASIC; other images upload as before.
#include <gtest/gtest.h>

#include "basic_load.h"
#include "file_loading.h"
#include "kcc_header.h"
#include "scratch_dir.h"
#include "sender_fixture.h"
#include "tap.h"

namespace morvale::testing {
namespace {

using Bytes = std::vector<std::uint8_t>;

// 10 PRINT 1, 20 END: 16 bytes from 0401h, closing link included.
const kc::BasicProgram kProgram{{{10, {0x9E, ' ', '1'}}, {20, {0x80}}}};
constexpr std::string_view kListing = "10 PRINT 1\r\n20 END\r\n";

void append(Bytes& to, const Bytes& bytes) {
    to.insert(to.end(), bytes.begin(), bytes.end());
}

// What a load of kProgram puts on the line: the keys into BASIC, the program
// to 0401h, the three end pointers (0411h) to 03D7h, the closing CR.
Bytes loadBytes() {
    const std::string_view keys = "\rBASIC\r\rDOKE 482,-1305:NEW\r";
    Bytes bytes(keys.begin(), keys.end());
    append(bytes, {0x1B, 'T', 0x01, 0x04, 0x10, 0x00});
    append(bytes, kc::programImage(kProgram));
    append(bytes, {0x1B, 'T', 0xD7, 0x03, 0x06, 0x00, 0x11, 0x04, 0x11, 0x04, 0x11, 0x04, '\r'});
    return bytes;
}

// A KCC file of 16 bytes at load, in the blocks of a KC-TAP file when asked.
Bytes kcc(std::uint16_t load, bool onTape = false) {
    const auto header = kc::makeKccHeader("SPIEL", {load, static_cast<std::uint16_t>(load + 16)});
    Bytes file(header.begin(), header.end());
    append(file, load == kc::kBasicProgramStart ? kc::programImage(kProgram) : Bytes(16, 0x5A));
    if (!onTape) {
        return file;
    }
    Bytes tap(kc::kTapMagic.begin(), kc::kTapMagic.end());
    for (std::size_t at = 0; at < file.size(); at += 128) {
        tap.push_back(at + 128 < file.size() ? static_cast<std::uint8_t>(at / 128 + 1) : 0xFF);
        Bytes block(file.begin() + at, file.begin() + std::min(at + 128, file.size()));
        block.resize(128);
        append(tap, block);
    }
    return tap;
}

class BasicTransfer : public SenderTest {
  protected:
    void load(const std::string& name, const Bytes& bytes) {
        directory_.write(name, std::string(bytes.begin(), bytes.end()));
        window.chosenFiles.push_back(directory_ / name);
        click(kLoadButton);
    }
    void chooseMenuItem() { sender.dispatch(Event::menu(kLoadAsBasicItem)); }
    void startAfresh() {
        transcript = Transcript{};
        link.sent.clear();
    }

    const ScratchDir directory_;
};

TEST_F(BasicTransfer, ProgramFileShowsItsMarkerAndSendLoadsItIntoBasic) {
    const std::tuple<std::string, Bytes, std::string> files[] = {
        {"prog.sss", kc::writeSss(kProgram), "SSS"},
        {"PROG.TAP", kc::writeTap({"PROG", false, kProgram}), "TAP"},
    };
    for (const auto& [name, bytes, marker] : files) {
        SCOPED_TRACE(name);
        startAfresh();
        load(name, bytes);
        EXPECT_FALSE(window.isEnabled(kEditor));
        click(kSendButton);
        EXPECT_EQ(link.sent, loadBytes());
        EXPECT_EQ(
            transcript.matching("text 15"),
            (std::vector<std::string>{"text 15 " + marker, "text 15 Starte BASIC ...",
                                      "text 15 Sende Daten ...", "text 15 Setze BASIC-Zeiger ...",
                                      "text 15 Gebe BASIC die Tastatur zur\xFC"
                                      "ck ...",
                                      "text 15 " + marker}));
        EXPECT_EQ(transcript.matching("text 2"),
                  (std::vector<std::string>{"text 2 Abbruch", "text 2 Senden"}));
        // The editor by the file's load, then all but the send button.
        EXPECT_EQ(transcript.matching("disable").size(), 15u);
        EXPECT_TRUE(transcript.matching("disable 2").empty());
        EXPECT_EQ(transcript.matching("enable").size(), 14u);
        EXPECT_TRUE(window.prompts.empty());
    }
    EXPECT_EQ(window.growCount, 2);
    EXPECT_TRUE(state().kcTakesKeys);  // the next upload asks for a reset
}

TEST_F(BasicTransfer, KcbWithAProgramLoadsIntoBasicAndOneWithoutUploads) {
    load("basic.kcb", kcc(kc::kBasicProgramStart));
    EXPECT_EQ(window.text(kEditor), "KCB");
    EXPECT_EQ(state().loadAddress, 0x401);
    EXPECT_EQ(state().dataLength, 16);
    click(kSendButton);
    EXPECT_EQ(link.sent, loadBytes());
    EXPECT_TRUE(window.prompts.empty());

    load("code.kcb", kcc(0x2000));
    EXPECT_EQ(window.text(kEditor), "KCB");
    state().kcTakesKeys = false;
    window.answers.push_back("2000");
    startAfresh();
    click(kSendButton);
    EXPECT_EQ(window.prompts.size(), 1u);
    EXPECT_EQ(transcript.line(), "1B T50 [54 00 20 10 00] T1 <16 bytes>");
}

TEST_F(BasicTransfer, TapHoldingAKccUploadsAsTheKccDoes) {
    std::vector<Bytes> sent;
    for (const bool onTape : {false, true}) {
        load(onTape ? "spiel.tap" : "spiel.kcc", kcc(0x300, onTape));
        EXPECT_EQ(window.text(kEditor), "KCC");
        EXPECT_EQ(state().loadAddress, 0x300);
        window.answers.push_back("300");
        startAfresh();
        click(kSendButton);
        sent.push_back(link.sent);
    }
    EXPECT_EQ(sent[0].size(), 6u + 16u);
    EXPECT_EQ(sent[0], sent[1]);
}

TEST_F(BasicTransfer, DamagedFileOrOneWithoutAProgramIsRefusedAndChangesNothing) {
    const std::tuple<std::string, Bytes, std::string> files[] = {
        {"kurz.sss",
         {0x05},
         "Die Datei ist besch\xE4"
         "digt: sie ist k\xFCrzer als ihr Dateikopf."},
        {"kaputt.sss",
         {0x20, 0x00, 1, 2},
         "Die Datei ist besch\xE4"
         "digt: sie bricht vorzeitig ab, oder ihre Daten "
         "passen nicht zu ihrem Aufbau."},
        {"fremd.tap", Bytes(200, 'x'),
         "Die Datei enth\xE4lt kein BASIC-Programm: sie ist keine "
         "Datei dieser Art, oder sie enth\xE4lt BASIC-Daten oder "
         "ein als Text gespeichertes Listing."},
    };
    window.texts[kEditor] = "earlier";
    for (const auto& [name, bytes, reason] : files) {
        load(name, bytes);
        ASSERT_EQ(window.messages.size(), 1u) << name;
        EXPECT_EQ(window.messages[0].title, "Fehler");
        EXPECT_EQ(window.messages[0].text, reason);
        window.messages.clear();
    }
    EXPECT_EQ(window.text(kEditor), "earlier");
    EXPECT_FALSE(state().basicProgram);
    EXPECT_EQ(window.growCount, 0);
}

TEST_F(BasicTransfer, MenuItemLoadsTheListingNamesALineBasicRefusesAndBeepsAtNothingToLoad) {
    window.texts[kEditor] = std::string(kListing);
    chooseMenuItem();
    EXPECT_EQ(link.sent, loadBytes());
    EXPECT_EQ(window.text(kEditor), kListing);

    startAfresh();
    window.texts[kEditor] = "10 PRINT 1\r\nPRINT 2\r\n";
    chooseMenuItem();
    ASSERT_EQ(window.messages.size(), 1u);
    EXPECT_EQ(window.messages[0].text,
              "Zeile 2: BASIC nimmt diese Zeile nicht an (keine Zeilennummer, Zeilennummer "
              "\xFC"
              "ber 65529, eine Taste zum Bearbeiten oder ESC).");

    // No program kept for any marker, an empty editor, a listing that
    // deletes its only line; Senden with a program marker alike.
    for (const char* text : {"", "SSS", "TAP", "KCB", "KCC", "BIN\xC4R", "10\r\n"}) {
        window.texts[kEditor] = text;
        chooseMenuItem();
    }
    window.texts[kEditor] = "SSS";
    click(kSendButton);
    EXPECT_EQ(window.beeps, 8);
    EXPECT_TRUE(transcript.matching("open").empty());
    EXPECT_TRUE(window.prompts.empty());
}

TEST_F(BasicTransfer, ClickOnAbbruchStopsTheLoadAndBringsTheControlsBack) {
    load("prog.sss", kc::writeSss(kProgram));
    // During the memory test of BASIC's cold start.
    window.eventAtTick[600 + 5 * 6 + 600 + 100] = Event::control(kSendButton);
    click(kSendButton);
    const std::string_view keys = "\rBASIC\r\r";
    EXPECT_EQ(link.sent, Bytes(keys.begin(), keys.end()));
    EXPECT_FALSE(link.isOpen());
    EXPECT_TRUE(window.messages.empty());
    EXPECT_EQ(window.text(kSendButton), "Senden");
    EXPECT_EQ(window.text(kEditor), "SSS");
    EXPECT_TRUE(window.isEnabled(kLoadButton));
}

TEST_F(BasicTransfer, TroubleIsShownAsTheOtherOperationsShowIt) {
    window.texts[kEditor] = "SSS";
    state().basicProgram = kc::BasicFile{"", false, {{{10, Bytes(kLargestLoadableProgram, 'A')}}}};
    click(kSendButton);
    ASSERT_EQ(window.messages.size(), 1u);
    EXPECT_TRUE(window.messages[0].text.starts_with("Programm zu lang: mit 31750 Bytes"));
    EXPECT_TRUE(transcript.matching("open").empty());

    state().basicProgram = kc::BasicFile{"", false, kProgram};
    link.openSucceeds = false;
    startAfresh();
    click(kSendButton);
    EXPECT_EQ(transcript.entries(),
              (std::vector<std::string>{"open COM2 1024 failed", "notice 2 COM2 gibt es nicht"}));
}

}  // namespace
}  // namespace morvale::testing

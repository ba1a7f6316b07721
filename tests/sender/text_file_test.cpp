// Loading text files: the size limit and listings saved as UTF-8.
#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>

#include "file_reading.h"
#include "scratch_dir.h"
#include "sender_fixture.h"

namespace morvale::testing {
namespace {

class TextFile : public SenderTest {
  protected:
    // Writes the bytes to a .bas file and loads it.
    void load(std::string_view bytes) {
        const std::string path = directory_ / "listing.bas";
        std::ofstream(path, std::ios::binary).write(bytes.data(), std::ssize(bytes));
        window.chosenFiles.push_back(path);
        click(kLoadButton);
    }

    const ScratchDir directory_;
};

TEST_F(TextFile, OverOneMebibyteIsRefusedAndNothingChanges) {
    window.texts[kEditor] = "10 END\r\n";
    load(std::string(1024 * 1024 + 1, 'A'));
    ASSERT_EQ(window.messages.size(), 1u);
    EXPECT_EQ(window.messages[0].title, "Fehler");
    EXPECT_EQ(window.messages[0].text, "Datei zu gro\xDF!");
    EXPECT_EQ(window.text(kEditor), "10 END\r\n");
    EXPECT_EQ(window.growCount, 0);

    load(std::string(1024 * 1024 - 2, 'A') + "\r\n");
    EXPECT_EQ(window.messages.size(), 1u);
    EXPECT_EQ(window.text(kEditor).size(), 1024u * 1024u);
    EXPECT_EQ(window.growCount, 1);
}

TEST_F(TextFile, UtfEightListingLoadsAsTheLatinOneTextItStandsFor) {
    // A byte-order mark, "Grüße", a euro sign beyond Latin-1.
    load(
        "\xEF\xBB\xBF"
        "10 PRINT \"Gr\xC3\xBC\xC3\x9F"
        "e\"\n20 REM \xE2\x82\xAC\n");
    EXPECT_EQ(window.text(kEditor),
              "10 PRINT \"Gr\xFC\xDF"
              "e\"\r\n20 REM ?\r\n");
}

TEST_F(TextFile, EveryOtherFileLoadsByteForByte) {
    // Latin-1 "Grüße": 0xFC 0xDF is no UTF-8 sequence.
    load(
        "10 PRINT \"Gr\xFC\xDF"
        "e\"\n");
    EXPECT_EQ(window.text(kEditor),
              "10 PRINT \"Gr\xFC\xDF"
              "e\"\r\n");
    // A byte-order mark in front of Latin-1 stays.
    load(
        "\xEF\xBB\xBF"
        "A\xC4\n");
    EXPECT_EQ(window.text(kEditor),
              "\xEF\xBB\xBF"
              "A\xC4\r\n");
}

TEST(FileReading, AFileThatTellsNoSizeIsReadAsItComesUpToTheLimit) {
    // A device reports size 0 and never ends: the read takes room as it goes
    // and stops at the limit, past the first room it takes.
    const auto zeros = readFileStart("/dev/zero", 200'000);
    ASSERT_TRUE(zeros);
    EXPECT_EQ(zeros->size(), 200'000u);
    EXPECT_EQ(std::count(zeros->begin(), zeros->end(), 0), 200'000);
}

}  // namespace
}  // namespace morvale::testing

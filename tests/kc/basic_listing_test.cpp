#include <gtest/gtest.h>

#include <string>
#include <variant>

#include "basic_listing.h"

namespace {

using Bytes = std::vector<std::uint8_t>;

kc::BasicProgram read(std::string_view listing) {
    const auto read = kc::programFromListing(listing, "x");
    if (const auto* error = std::get_if<kc::Error>(&read)) {
        ADD_FAILURE() << error->describe();
        return {};
    }
    return std::get<kc::BasicProgram>(read);
}

Bytes bytes(std::string_view text) {
    return Bytes(text.begin(), text.end());
}

TEST(BasicListing, ReadsEachLineAsBasicsLineEditorTakesIt) {
    const std::string kept = "10 REM " + std::string(62, 'X');  // 69 characters
    const struct {
        std::string typed;
        std::uint16_t number;
        Bytes text;
    } cases[] = {
        {"  20 PRINT 2", 20, {0x9E, 0x20, 0x32}},
        {"0030 PRINT 3", 30, {0x9E, 0x20, 0x33}},
        {"4 0 PRINT 4", 40, {0x9E, 0x20, 0x34}},
        {"50PRINT 5", 50, {0x9E, 0x20, 0x35}},
        {"65529 END", 65529, {0x80}},
        {"90 A=1 : B = 2   ",
         90,
         {0x41, 0xB4, 0x31, 0x20, 0x3A, 0x20, 0x42, 0x20, 0xB4, 0x20, 0x32, 0x20, 0x20, 0x20}},
        {"30 PRINT\tA", 30, {0x9E, 0x20, 0x41}},
        // Seen: the editor drops what it only echoes, CAOS the function keys.
        {"60 A\x01\x0B\x13\x0C\xF1\xF5\xFF\xF0"
         "B",
         60,
         {0x41, 0xF0, 0x42}},
        // 78 characters; the editor keeps the first 72 and the last.
        {kept + "!#%&/()=?", 10, bytes("\x8E " + std::string(62, 'X') + "!#%?")},
        {kept + "!#%?", 10, bytes("\x8E " + std::string(62, 'X') + "!#%?")},
    };
    for (const auto& c : cases) {
        const kc::BasicProgram program = read(c.typed);
        ASSERT_EQ(program.lines.size(), 1u) << c.typed;
        EXPECT_EQ(program.lines[0].number, c.number) << c.typed;
        EXPECT_EQ(program.lines[0].text, c.text) << c.typed;
    }
}

TEST(BasicListing, StoresLinesInOrderReplacingAndDeletingAsBasicDoes) {
    const kc::BasicProgram program = read(
        "20 B\r\n10 A\n30 C\r20 D\n\n   \n40\n9 9\n\n30 \r\n\x1A"
        "50 E\n");
    EXPECT_EQ(program, (kc::BasicProgram{{{10, {'A'}}, {20, {'D'}}}}));
    EXPECT_EQ(read(""), kc::BasicProgram{});
}

TEST(BasicListing, RefusesWhatBasicWouldNotStore) {
    const struct {
        std::string listing;
        int line;
        std::string detail;
    } cases[] = {
        {"10 A\n print x\n", 2,
         "line 2 (\"print x\") has no line number; BASIC would run it instead of storing it"},
        {"10 A\r\n\r\n65530 B", 3, "line 3 (\"65530 B\") has a line number above 65529"},
        {"10 A\x1C", 1,
         "line 1 (\"10 A<1C>\") holds 1Ch, the key that makes BASIC's line editor run LIST"},
        {"10 A\x03", 1, "holds 03h, BRK"},
        {"10 \x1A", 1, "holds 1Ah, a key BASIC's line editor edits"},
        {"10 A\x1B\r20 B", 1, "holds 1Bh, ESC"},
        {"10 REM 12345678901234567890\x08", 1,
         "line 1 (\"10 REM 12345678901234567...\") holds 08h"},
    };
    for (const auto& c : cases) {
        const auto read = kc::programFromListing(c.listing, "GAME.BAS");
        ASSERT_TRUE(std::holds_alternative<kc::Error>(read)) << c.listing;
        const kc::Error& error = std::get<kc::Error>(read);
        EXPECT_EQ(error.kind, kc::ErrorKind::Malformed);
        EXPECT_EQ(error.subject, "GAME.BAS");
        EXPECT_EQ(error.line, c.line);
        EXPECT_NE(error.detail.find(c.detail), std::string::npos) << error.detail;
    }
}

TEST(BasicListing, ReadsBackWhatItLists) {
    const std::string typed =
        "10 print \"Hi\";a$:goto 10\n"
        "20 GO  TO 10:? 5\n"
        "30 DATA abc, PRINT :print x\n"
        "40 REM  \"x  \n"
        "50 IF A<>B THEN ?CHR$(65);TAB(3)\"\xE4\x9E\":ELSE END\n";
    const kc::BasicProgram program = read(typed);
    const auto lines = kc::listedLines(program);
    ASSERT_EQ(lines.size(), 5u);
    EXPECT_EQ(lines[1], "20 GOTO 10:PRINT 5");
    EXPECT_EQ(lines[2], "30 DATA abc, PRINT :PRINT X");
    std::string listing;
    for (const std::string& line : lines) {
        listing += line + "\r\n";
    }
    EXPECT_EQ(read(listing), program);
}

}  // namespace

#include <gtest/gtest.h>

#include <variant>

#include "kcc_header.h"
#include "tap.h"

namespace {

using Bytes = std::vector<std::uint8_t>;

const kc::BasicProgram kHello{
    {{10, {0x9E, 0x20, 0x22, 0x48, 0x45, 0x4C, 0x4C, 0x4F, 0x22}}, {20, {0x88, 0x20, 0x31, 0x30}}}};

// A program of `lines` lines of 30 bytes each.
kc::BasicProgram longProgram(int lines) {
    kc::BasicProgram program;
    for (int i = 1; i <= lines; ++i) {
        program.lines.push_back({static_cast<std::uint16_t>(i), Bytes(30, 'A')});
    }
    return program;
}

// The KCC of a one-byte program C9h at 0200h, named "HELLO", in its tape
// blocks: 01h the header, FFh the image.
Bytes helloKccTap() {
    Bytes tap(kc::kTapMagic.begin(), kc::kTapMagic.end());
    tap.push_back(0x01);
    const Bytes header = {'H', 'E', 'L', 'L', 'O', ' ', ' ', ' ', ' ', ' ', ' ', 0,
                          0,   0,   0,   0,   3,   0,   2,   1,   2,   0,   2,   0};
    tap.insert(tap.end(), header.begin(), header.end());
    tap.resize(16 + 129);
    tap.push_back(0xFF);
    tap.push_back(0xC9);
    tap.resize(274);
    return tap;
}

std::vector<kc::TapContent> read(const Bytes& tap) {
    auto read = kc::readTap(tap, "X.TAP");
    if (auto* error = std::get_if<kc::Error>(&read)) {
        ADD_FAILURE() << error->describe();
        return {};
    }
    return std::get<std::vector<kc::TapContent>>(read);
}

TEST(Tap, WritesABasicProgramInTheEmulatorsBlocks) {
    Bytes expected(kc::kTapMagic.begin(), kc::kTapMagic.end());
    const Bytes block = {0x01, 0xD3, 0xD3, 0xD3, 'H',  'E',  'L',  'L',  'O',  ' ',
                         ' ',  ' ',  0x19, 0x00, 0x0F, 0x04, 0x0A, 0x00, 0x9E, 0x20,
                         0x22, 0x48, 0x45, 0x4C, 0x4C, 0x4F, 0x22, 0x00, 0x18, 0x04,
                         0x14, 0x00, 0x88, 0x20, 0x31, 0x30, 0x00, 0x00, 0x00, 0x03};
    expected.insert(expected.end(), block.begin(), block.end());
    expected.resize(145);
    EXPECT_EQ(kc::writeTap({"HELLO", false, kHello}), expected);

    const kc::BasicFile big{"LONGNAMES", true, longProgram(20)};  // 13 + 702 + 1 bytes
    const Bytes tap = kc::writeTap(big);
    ASSERT_EQ(tap.size(), 16 + 6 * 129u);
    EXPECT_EQ(tap[17], 0xD7);
    EXPECT_EQ((Bytes{tap[16], tap[16 + 129], tap[16 + 4 * 129], tap[16 + 5 * 129]}),
              (Bytes{0x01, 0x02, 0x05, 0xFF}));
    const auto contents = read(tap);
    ASSERT_EQ(contents.size(), 1u);
    EXPECT_EQ(std::get<kc::BasicFile>(contents[0]), (kc::BasicFile{"LONGNAME", true, big.program}));
}

TEST(Tap, ReadsEachPartOfAJoinedFileBasicOrKcc) {
    const kc::BasicFile first{"ONE", false, longProgram(5)};
    const kc::BasicFile second{"TWO", false, kHello};
    Bytes tap = kc::writeTap(first);
    const Bytes kcc = helloKccTap();
    tap.insert(tap.end(), kcc.begin(), kcc.end());
    const Bytes last = kc::writeTap(second);
    tap.insert(tap.end(), last.begin(), last.end() - 90);  // cut in its last block

    const auto contents = read(tap);
    ASSERT_EQ(contents.size(), 3u);
    EXPECT_EQ(std::get<kc::BasicFile>(contents[0]), first);
    Bytes header(kcc.begin() + 17, kcc.begin() + 145);
    header.push_back(0xC9);
    EXPECT_EQ(std::get<kc::TapKcc>(contents[1]).bytes, header);
    EXPECT_EQ(std::get<kc::BasicFile>(contents[2]), second);
}

TEST(Tap, RefusesWhatIsNoCompleteTape) {
    const Bytes hello = kc::writeTap({"HELLO", false, kHello});
    Bytes magicOnly(kc::kTapMagic.begin(), kc::kTapMagic.end());
    Bytes array = hello;
    array[17] = array[18] = array[19] = 0xD8;
    Bytes longer = hello;
    longer[28] = 0x80;  // L = 128 in a part holding 115 program bytes
    Bytes shortImage = helloKccTap();
    shortImage[17 + 19] = 0x00;  // end 0300h: 256 bytes announced, 128 there
    shortImage[17 + 20] = 0x03;
    Bytes secondBroken = hello;
    secondBroken.insert(secondBroken.end(), longer.begin(), longer.end());
    const struct {
        Bytes file;
        kc::ErrorKind kind;
        std::string detail;
    } cases[] = {
        {Bytes(hello.begin() + 1, hello.end()), kc::ErrorKind::WrongKind, "not a KC-TAP file"},
        {magicOnly, kc::ErrorKind::TooShort, "fewer than the 128 of a KCC header"},
        {array, kc::ErrorKind::WrongKind, "data array"},
        {longer, kc::ErrorKind::Malformed, "runs past the end of the file,"},
        {Bytes(hello.begin(), hello.begin() + 16 + 38), kc::ErrorKind::Malformed,
         "ends inside its block 1, 1 bytes short"},
        {shortImage, kc::ErrorKind::Malformed, "128 bytes short of the 256"},
        {secondBroken, kc::ErrorKind::Malformed, "end of the file's part 2"},
    };
    for (const auto& c : cases) {
        const auto read = kc::readTap(c.file, "GAME.TAP");
        ASSERT_TRUE(std::holds_alternative<kc::Error>(read)) << c.detail;
        const kc::Error& error = std::get<kc::Error>(read);
        EXPECT_EQ(error.kind, c.kind) << c.detail;
        EXPECT_EQ(error.subject, "GAME.TAP");
        EXPECT_NE(error.detail.find(c.detail), std::string::npos) << error.detail;
    }
}

}  // namespace

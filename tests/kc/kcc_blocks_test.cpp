#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <numeric>
#include <variant>

#include "kcc_blocks.h"

namespace {

using Bytes = std::vector<std::uint8_t>;

Bytes binload() {
    std::ifstream in(TEST_DATA_DIR "/BINLOAD.KCC", std::ios::binary);
    return Bytes(std::istreambuf_iterator<char>(in), {});
}

// `kcc` in numbered blocks from `first` up, FFh last, with checksums when asked.
Bytes numbered(const Bytes& kcc, std::uint8_t first, bool checksums) {
    Bytes file;
    for (std::size_t at = 0; at < kcc.size(); at += 128) {
        const bool last = at + 128 >= kcc.size();
        file.push_back(last ? 0xFF : static_cast<std::uint8_t>(first + at / 128));
        const auto data = kcc.begin() + static_cast<std::ptrdiff_t>(at);
        file.insert(file.end(), data, data + 128);
        if (checksums) {
            file.push_back(static_cast<std::uint8_t>(std::accumulate(data, data + 128, 0u)));
        }
    }
    return file;
}

TEST(KccBlocks, DropsNumbersAndChecksumsButTakesAPlainKccAsItIs) {
    const Bytes kcc = binload();
    EXPECT_FALSE(kc::kccFromNumberedBlocks(kcc, "BINLOAD.KCC"));
    Bytes trailing = numbered(kcc, 1, false);
    trailing.push_back(0x1A);  // after the FFh block: not looked at
    for (const Bytes& file : {numbered(kcc, 0, false), numbered(kcc, 1, true), trailing}) {
        const auto read = kc::kccFromNumberedBlocks(file, "B.KCC");
        ASSERT_TRUE(read && std::holds_alternative<Bytes>(*read));
        EXPECT_EQ(std::get<Bytes>(*read), kcc);
    }
}

TEST(KccBlocks, NamesTheBrokenBlock) {
    const Bytes kcc = binload();
    Bytes cut = numbered(kcc, 1, false);
    cut.pop_back();
    Bytes disordered = numbered(kcc, 1, false);
    disordered[3 * 129] = 0x05;
    Bytes checksum = numbered(kcc, 1, true);
    checksum[2 * 130 + 129] ^= 1;
    const struct {
        Bytes file;
        std::string detail;
    } cases[] = {
        {cut, "block 5 of the numbered blocks is cut short: 128 of its 129"},
        {disordered, "block 4 of the numbered blocks has the number 05h after 03h"},
        {checksum, "block 3 of the numbered blocks has the checksum"},
    };
    for (const auto& c : cases) {
        const auto read = kc::kccFromNumberedBlocks(c.file, "B.KCC");
        ASSERT_TRUE(read && std::holds_alternative<kc::Error>(*read)) << c.detail;
        const kc::Error& error = std::get<kc::Error>(*read);
        EXPECT_EQ(error.kind, kc::ErrorKind::Malformed);
        EXPECT_EQ(error.subject, "B.KCC");
        EXPECT_NE(error.detail.find(c.detail), std::string::npos) << error.detail;
    }
}

}  // namespace

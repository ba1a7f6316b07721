#include <gtest/gtest.h>

#include "output_path.h"

namespace {

using kccstrip::hasKccExtension;
using kccstrip::outputPathFor;

TEST(KccExtension, AcceptsKccInAnyCase) {
    for (const char* path : {".kcc", "SPIEL.KCC", "spiel.Kcc", "KC/SPIEL.kCc", "mein spiel.kcc"}) {
        EXPECT_TRUE(hasKccExtension(path)) << path;
    }
}

TEST(KccExtension, RejectsEverythingElse) {
    for (const char* path : {"", "kcc", ".kc", "SPIEL.KCB", "spiel.bin", "spiel.kcc.", "spiel.kcc ",
                             "kc.kcc/", "spiel.kcc\n", "spielkcc"}) {
        EXPECT_FALSE(hasKccExtension(path)) << '"' << path << '"';
    }
}

TEST(OutputPath, LowerCasesOnlyTheFileName) {
    EXPECT_EQ(outputPathFor("SPIEL.KCC"), "spiel.bin");
    EXPECT_EQ(outputPathFor("KC/SPIEL.KCC"), "KC/spiel.bin");
    EXPECT_EQ(outputPathFor("/Home/KC/Spiel.Kcc"), "/Home/KC/spiel.bin");
}

TEST(OutputPath, LowersAUtf8NameByCharactersAndAnyOtherByBytes) {
    EXPECT_EQ(outputPathFor("Späße-Ä.KCC"), "späße-ä.bin");
    EXPECT_EQ(outputPathFor("ÀÞ×Ÿ/ÀÞ×ŸÝ.KCC"), "ÀÞ×Ÿ/àþ×Ÿý.bin");      // × and Ÿ stay
    EXPECT_EQ(outputPathFor("\xC4RGER.KCC"), "\xE4rger.bin");          // Latin-1
    EXPECT_EQ(outputPathFor("\xD7\xC3.KCC"), "\xF7\xE3.bin");          // 0xC3 with no follower
    EXPECT_EQ(outputPathFor("\xC3\x84\xC4.KCC"), "\xE3\x84\xE4.bin");  // partly UTF-8
}

TEST(OutputPath, ReplacesEveryKccInTheFileNameButNoneInDirectories) {
    EXPECT_EQ(outputPathFor("kc.kcc/spiel.kcc"), "kc.kcc/spiel.bin");
    EXPECT_EQ(outputPathFor("A.KCC.KCC"), "a.bin.bin");
    EXPECT_EQ(outputPathFor("x.kccb.kcc"), "x.binb.bin");
    EXPECT_EQ(outputPathFor("..kcc"), "..bin");
    EXPECT_EQ(outputPathFor(".kcc"), ".bin");
    EXPECT_EQ(outputPathFor("dir/.KCC"), "dir/.bin");
}

}  // namespace

#include <gtest/gtest.h>

#include <cerrno>

#include "error.h"

namespace kc {
namespace {

TEST(ErrorDescription, NamesTheSubjectAndTheWordsOrElseTheSystemsReason) {
    EXPECT_EQ(systemError("demo.kcc", ENOENT).describe(), "demo.kcc: No such file or directory");
    EXPECT_EQ((Error{ErrorKind::EmptyFile, ENOENT, "demo.kcc", "empty file"}.describe()),
              "demo.kcc: empty file");
    EXPECT_EQ((Error{ErrorKind::Usage, 0, "", "no KCC file given"}.describe()),
              "no KCC file given");
    EXPECT_EQ((Error{ErrorKind::Usage, 0, "COM2", ""}.describe()), "COM2");
}

}  // namespace
}  // namespace kc

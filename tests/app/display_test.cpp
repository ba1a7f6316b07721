// morvale started where its display cannot be reached.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "program_run.h"

namespace {

using morvale::testing::RunResult;

// Runs morvale with the environment changed as given ("NAME=value" sets,
// "NAME" removes).
RunResult runMorvale(const std::vector<std::string>& changes) {
    return morvale::testing::runProgram({.program = MORVALE_BINARY, .environment = changes});
}

TEST(Display, ThatCannotBeOpenedGivesOneLineAndExitStatusOne) {
    const RunResult ended =
        runMorvale({"DISPLAY=:99", "QT_QPA_PLATFORM", "WAYLAND_DISPLAY", "XAUTHORITY"});
    ASSERT_NE(ended.exitCode, -1) << "did not exit: " << ended.err;
    EXPECT_EQ(ended.exitCode, 1);
    EXPECT_EQ(ended.err, "morvale: cannot open the display (DISPLAY=:99)\n");
}

TEST(Display, NoneAtAllGivesOneLineAndExitStatusOne) {
    const RunResult ended = runMorvale({"DISPLAY", "QT_QPA_PLATFORM", "WAYLAND_DISPLAY"});
    ASSERT_NE(ended.exitCode, -1) << "did not exit: " << ended.err;
    EXPECT_EQ(ended.exitCode, 1);
    EXPECT_EQ(std::count(ended.err.begin(), ended.err.end(), '\n'), 1);
}

}  // namespace

// The failure report of the running kccstrip: the message bytes and the wait
// for one line on every kind of standard input.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <termios.h>
#include <unistd.h>

#include "failure.h"
#include "kcc_bytes.h"
#include "kccstrip_process.h"
#include "scratch_dir.h"

namespace {

using namespace std::chrono_literals;
using kccstrip::kFailureMessage;
using morvale::testing::ScratchDir;

// A fail-fast run (a missing input) with the given standard input.
RunResult failWith(Stdin mode, int fd = -1) {
    return runKccstrip(
        RunOptions{.args = {"/nonexistent/X.KCC"}, .stdinMode = mode, .stdinFd = fd});
}

TEST(FailureReport, MessageLandsInARedirectedStdoutExactly) {
    const ScratchDir dir;
    const int out = ::open((dir / "out.txt").c_str(), O_WRONLY | O_CREAT | O_CLOEXEC, 0644);
    const RunResult result =
        runKccstrip(RunOptions{.args = {"X.KCB"}, .cwd = dir.path(), .stdoutFd = out});
    ::close(out);
    EXPECT_EQ(result.exitCode, 1);
    EXPECT_EQ(dir.read("out.txt"), "Konvertieren fehlgeschlagen!\r\n");
    EXPECT_EQ(result.err, "kccstrip: X.KCB: not a .kcc file\n");
}

TEST(FailureReport, EndsTheWaitAtOnceWithoutInput) {
    const ScratchDir dir;
    dir.write("leer", "");
    const int empty = ::open((dir / "leer").c_str(), O_RDONLY | O_CLOEXEC);
    const int writeOnly = ::open((dir / "leer").c_str(), O_WRONLY | O_CLOEXEC);
    for (const RunResult& result : {failWith(Stdin::Text), failWith(Stdin::Closed),
                                    failWith(Stdin::Fd, empty), failWith(Stdin::Fd, writeOnly)}) {
        EXPECT_FALSE(result.timedOut);
        EXPECT_EQ(result.exitCode, 1);
        EXPECT_EQ(result.out, kFailureMessage);
    }
    ::close(empty);
    ::close(writeOnly);
}

// What standard input holds, and what the wait must leave of it.
constexpr std::pair<std::string_view, std::string_view> kLineEnds[] = {
    {"x\nmore", "more"},  {"x\rmore\n", "more\n"}, {"x\r\nmore", "more"},
    {"\r\n\r\n", "\r\n"}, {"\n\r\n", "\r\n"},      {"x\r", ""},
    {"no end", ""},
};

TEST(FailureReport, ConsumesAFileOnlyUpToTheFirstLineEnd) {
    const ScratchDir dir;
    for (const auto& [text, rest] : kLineEnds) {
        dir.write("stdin", std::string(text));
        const int fd = ::open((dir / "stdin").c_str(), O_RDONLY | O_CLOEXEC);
        EXPECT_EQ(failWith(Stdin::Fd, fd).exitCode, 1);
        // The offset is shared with the child.
        EXPECT_EQ(::lseek(fd, 0, SEEK_CUR), static_cast<off_t>(text.size() - rest.size())) << text;
        ::close(fd);
    }
}

// The writer stays open, as that of a script waiting for the converter: the
// wait ends at a line end without a further byte, at a lone CR too.
TEST(FailureReport, ConsumesAPipeOnlyUpToTheFirstLineEnd) {
    for (const auto& [text, rest] : kLineEnds) {
        if (text == "no end") {
            continue;  // would wait for the line, as it should
        }
        int pipe[2];
        ASSERT_EQ(::pipe2(pipe, O_CLOEXEC), 0);
        ASSERT_EQ(::write(pipe[1], text.data(), text.size()), static_cast<ssize_t>(text.size()));
        EXPECT_EQ(failWith(Stdin::Fd, pipe[0]).exitCode, 1) << text;
        ::close(pipe[1]);
        std::string left(16, '\0');
        left.resize(
            static_cast<std::size_t>(std::max<ssize_t>(::read(pipe[0], left.data(), 16), 0)));
        EXPECT_EQ(left, rest) << text;
        ::close(pipe[0]);
    }
}

TEST(FailureReport, WaitsForALineFromAPipe) {
    KccstripProcess process(RunOptions{.args = {"X.KCB"}, .stdinMode = Stdin::Pipe});
    EXPECT_TRUE(process.stillRunningAfter(300ms));
    process.writeStdin("weiter");
    EXPECT_TRUE(process.stillRunningAfter(100ms));
    process.writeStdin("\n");
    EXPECT_FALSE(process.stillRunningAfter(5000ms));
    const RunResult result = process.finish();
    EXPECT_EQ(result.exitCode, 1);
    EXPECT_EQ(result.out, kFailureMessage);
}

TEST(FailureReport, SuccessDoesNotWait) {
    const ScratchDir dir;
    dir.write("SPIEL.KCC", kccBytes(200));
    KccstripProcess process(
        RunOptions{.args = {"SPIEL.KCC"}, .cwd = dir.path(), .stdinMode = Stdin::Pipe});
    EXPECT_FALSE(process.stillRunningAfter(5000ms));
    EXPECT_EQ(process.finish().exitCode, 0);
}

TEST(FailureReport, WaitsAtATerminalForEnterWithEchoThenRestoresIt) {
    const int master = ::posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
    ASSERT_GE(master, 0);
    ASSERT_EQ(::grantpt(master), 0);
    ASSERT_EQ(::unlockpt(master), 0);
    const int slave = ::open(::ptsname(master), O_RDWR | O_NOCTTY | O_CLOEXEC);
    ASSERT_GE(slave, 0);
    termios raw{};
    ::tcgetattr(slave, &raw);
    ::cfmakeraw(&raw);
    ::tcsetattr(slave, TCSANOW, &raw);

    KccstripProcess process(
        RunOptions{.args = {"X.KCB"}, .stdinMode = Stdin::Fd, .stdinFd = slave});
    termios seen{};
    for (int i = 0; i < 500 && !(seen.c_lflag & ICANON); ++i) {
        std::this_thread::sleep_for(10ms);
        ::tcgetattr(slave, &seen);
    }
    EXPECT_TRUE(seen.c_lflag & ICANON);
    EXPECT_TRUE(seen.c_lflag & ECHO);
    ASSERT_EQ(::write(master, "ab", 2), 2);
    EXPECT_TRUE(process.stillRunningAfter(200ms));
    ASSERT_EQ(::write(master, "\r", 1), 1);  // Enter
    const RunResult result = process.finish();
    EXPECT_EQ(result.exitCode, 1);

    char echo[64] = {};
    EXPECT_GE(::read(master, echo, sizeof echo - 1), 2);
    EXPECT_TRUE(std::string(echo).starts_with("ab")) << echo;
    termios after{};
    ::tcgetattr(slave, &after);
    EXPECT_FALSE(after.c_lflag & (ICANON | ECHO));
    ::close(slave);
    ::close(master);
}

}  // namespace

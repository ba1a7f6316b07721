// The named temporary file, kept where a file system has no unnamed ones, and
// the clean-up handler, in a forked child so a signal ends the child only.
#include <gtest/gtest.h>

#include <csignal>
#include <string>

#include <fcntl.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include "scratch_dir.h"
#include "signal_cleanup.h"
#include "temp_file.h"

namespace {

using morvale::testing::ScratchDir;

// Runs `body` in a child with default signal actions, and no core file, and
// returns its wait status.
template <typename Body>
int inChild(Body body) {
    const pid_t pid = ::fork();
    if (pid == 0) {
        for (int signal = 1; signal <= SIGRTMAX; ++signal) {
            std::signal(signal, SIG_DFL);
        }
        const rlimit noCore{0, 0};
        ::setrlimit(RLIMIT_CORE, &noCore);
        body();
        ::_exit(0);
    }
    int status = 0;
    ::waitpid(pid, &status, 0);
    return status;
}

// A named temporary file with some bytes in `dir`; the child ends with 2 when
// it cannot be made.
void createNamedIn(const ScratchDir& dir, kccstrip::TempFile& temp) {
    const int fd = ::open(dir.path().c_str(), O_PATH | O_DIRECTORY | O_CLOEXEC);
    if (temp.createNamed(fd, 0644) != 0 || ::write(temp.fd(), "image", 5) != 5 ||
        temp.hiddenName().empty()) {
        ::_exit(2);
    }
}

class NamedTempFileUnderSignal : public testing::TestWithParam<int> {};

TEST_P(NamedTempFileUnderSignal, IsRemovedAndTheProcessEndsByTheSignal) {
    const ScratchDir dir;
    const int status = inChild([&] {
        kccstrip::installSignalCleanup();
        kccstrip::TempFile temp;
        createNamedIn(dir, temp);
        ::raise(GetParam());
        ::_exit(3);
    });
    ASSERT_TRUE(WIFSIGNALED(status)) << status;
    EXPECT_EQ(WTERMSIG(status), GetParam());
    EXPECT_TRUE(dir.entries().empty());
}

INSTANTIATE_TEST_SUITE_P(Signals, NamedTempFileUnderSignal,
                         testing::Values(SIGINT, SIGTERM, SIGHUP, SIGQUIT, SIGALRM, SIGUSR1,
                                         SIGUSR2, SIGVTALRM, SIGPROF, SIGPWR, SIGRTMIN, SIGRTMAX),
                         [](const auto& info) {
                             const char* name = sigabbrev_np(info.param);
                             return name != nullptr ? std::string(name)
                                                    : "RT" + std::to_string(info.param);
                         });

TEST(NamedTempFile, StaysWhenTheSignalWasIgnoredAtStart) {
    const ScratchDir dir;
    const int status = inChild([&] {
        std::signal(SIGHUP, SIG_IGN);
        kccstrip::installSignalCleanup();
        kccstrip::TempFile temp;
        createNamedIn(dir, temp);
        ::raise(SIGHUP);
        ::_exit(7);  // the destructor of `temp` is skipped
    });
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 7);
    EXPECT_EQ(dir.entries().size(), 1u);
}

TEST(NamedTempFile, SignalHeldBackDuringCreationStillRemovesIt) {
    const ScratchDir dir;
    const int status = inChild([&] {
        kccstrip::installSignalCleanup();
        kccstrip::TempFile temp;
        kccstrip::SignalBlock block;
        ::raise(SIGTERM);  // held back until the block ends
        createNamedIn(dir, temp);
        // The destructor of `block` lets SIGTERM in while `temp` still exists.
    });
    ASSERT_TRUE(WIFSIGNALED(status));
    EXPECT_EQ(WTERMSIG(status), SIGTERM);
    EXPECT_TRUE(dir.entries().empty());
}

TEST(NamedTempFile, ReplacesTheOutputWholeOnCommit) {
    const ScratchDir dir;
    dir.write("spiel.bin", "old and longer");
    const int status = inChild([&] {
        kccstrip::TempFile temp;
        createNamedIn(dir, temp);
        ::_exit(temp.commit("spiel.bin"));
    });
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0);
    EXPECT_EQ(dir.entries(), std::set<std::string>{"spiel.bin"});
    EXPECT_EQ(dir.read("spiel.bin"), "image");
}

}  // namespace

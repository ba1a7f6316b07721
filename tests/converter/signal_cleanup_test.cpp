// The clean-up handler in a forked child, so the signal ends the child only.
#include <gtest/gtest.h>

#include <csignal>
#include <string>

#include <sys/wait.h>
#include <unistd.h>

#include "scratch_dir.h"
#include "signal_cleanup.h"
#include "temp_file.h"

namespace {

class SignalCleanup : public testing::TestWithParam<int> {};

// Runs `body` in a child and returns its wait status.
template <typename Body>
int inChild(Body body) {
    const pid_t pid = ::fork();
    if (pid == 0) {
        for (int signal : {SIGINT, SIGTERM, SIGHUP}) {
            std::signal(signal, SIG_DFL);
        }
        body();
        ::_exit(0);
    }
    int status = 0;
    ::waitpid(pid, &status, 0);
    return status;
}

TEST_P(SignalCleanup, LeavesSignalsIgnoredAtStartIgnored) {
    const ScratchDir dir;
    const int signal = GetParam();
    const int status = inChild([&] {
        std::signal(signal, SIG_IGN);
        kccstrip::installSignalCleanup();
        dir.write("temp", "");
        kccstrip::registerCleanupPath((dir / "temp").c_str());
        ::raise(signal);
        ::_exit(7);
    });
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 7);
    EXPECT_TRUE(dir.exists("temp"));
}

TEST(SignalCleanup, SignalDuringTheBlockComesAfterTheFileIsKnown) {
    const ScratchDir dir;
    const int status = inChild([&] {
        kccstrip::installSignalCleanup();
        kccstrip::TempFile temp;
        kccstrip::SignalBlock block;
        ::raise(SIGTERM);  // held back until the block ends
        if (temp.create(dir / "spiel.bin", 0644) != 0) {
            ::_exit(2);
        }
        // The destructor of `block` lets SIGTERM in while `temp` still exists.
    });
    ASSERT_TRUE(WIFSIGNALED(status));
    EXPECT_EQ(WTERMSIG(status), SIGTERM);
    EXPECT_TRUE(dir.entries().empty());
}

INSTANTIATE_TEST_SUITE_P(Signals, SignalCleanup, testing::Values(SIGINT, SIGTERM, SIGHUP),
                         [](const auto& info) { return std::string(sigabbrev_np(info.param)); });

}  // namespace

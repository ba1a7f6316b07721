#include <gtest/gtest.h>

#include <fcntl.h>
#include <unistd.h>

#include "file_copy.h"
#include "kcc_bytes.h"
#include "scratch_dir.h"

namespace {

using morvale::testing::ScratchDir;

// copy_file_range refuses a pipe, so this takes the read/write path, through
// more than one buffer's worth.
TEST(FileCopy, FallsBackToReadAndWriteWhereTheKernelCannotCopy) {
    const ScratchDir dir;
    const std::string input = kccBytes(200000);
    dir.write("in", input);
    const int in = ::open((dir / "in").c_str(), O_RDONLY | O_CLOEXEC);
    int pipe[2];
    ASSERT_EQ(::pipe2(pipe, O_CLOEXEC), 0);
    ASSERT_GE(::fcntl(pipe[1], F_SETPIPE_SZ, 1 << 20), 200000);

    const kccstrip::CopyResult result = kccstrip::copyToEnd(in, 128, pipe[1]);
    EXPECT_EQ(result.error, 0);
    ::close(pipe[1]);
    std::string copied;
    char buffer[65536];
    for (ssize_t got; (got = ::read(pipe[0], buffer, sizeof buffer)) > 0;) {
        copied.append(buffer, static_cast<std::size_t>(got));
    }
    EXPECT_EQ(copied, input.substr(128));
    ::close(pipe[0]);
    ::close(in);
}

}  // namespace

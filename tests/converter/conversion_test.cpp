// kccstrip run as a process on real files: what it writes, and what it leaves
// alone when it fails; and its copy of the image where the kernel cannot
// copy.
#include <gtest/gtest.h>

#include <chrono>
#include <climits>
#include <csignal>
#include <cstdio>
#include <filesystem>
#include <string>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "conversion.h"
#include "failure.h"
#include "file_descriptor.h"
#include "kcc_bytes.h"
#include "kccstrip_process.h"
#include "scratch_dir.h"

namespace {

namespace fs = std::filesystem;
using kccstrip::kFailureMessage;
using morvale::testing::readFile;
using morvale::testing::ScratchDir;
using posix_io::FileDescriptor;

class Conversion : public testing::Test {
  protected:
    RunResult run(std::vector<std::string> args) {
        RunOptions options;
        options.args = std::move(args);
        options.cwd = dir.path();
        return runKccstrip(options);
    }

    void expectSuccess(const RunResult& result) {
        EXPECT_EQ(result.exitCode, 0);
        EXPECT_EQ(result.out, "");
        EXPECT_EQ(result.err, "");
    }

    void expectFailure(const RunResult& result, const std::string& stderrLine = "") {
        EXPECT_EQ(result.exitCode, 1);
        EXPECT_EQ(result.out, kFailureMessage);
        if (!stderrLine.empty()) {
            EXPECT_EQ(result.err, stderrLine + "\n");
        } else {
            EXPECT_TRUE(result.err.starts_with("kccstrip: ")) << result.err;
        }
    }

    ScratchDir dir;
};

TEST_F(Conversion, WritesEverythingBehindTheHeaderToTheLowerCasedBin) {
    const std::string input = kccBytes(1000);
    dir.write("SPIEL.KCC", input);
    expectSuccess(run({"SPIEL.KCC"}));
    EXPECT_EQ(dir.read("spiel.bin"), input.substr(128));
    EXPECT_EQ(dir.read("SPIEL.KCC"), input);
    EXPECT_EQ(dir.entries(), (std::set<std::string>{"SPIEL.KCC", "spiel.bin"}));
}

TEST_F(Conversion, CopiesAllBytesBehindTheHeaderWhateverItsAddressesSay) {
    std::string addressed = kccBytes(128 + 1000);
    addressed.replace(17, 4, "\x00\x03\x00\x05", 4);  // 0x300 to 0x500: 512 bytes
    const std::string sample = readFile(TEST_DATA_DIR "/BINLOAD.KCC");
    ASSERT_EQ(sample.size(), 640u);
    struct Case {
        std::string input;
        std::string content;
        std::vector<std::string> args;
        std::string output;
    };
    const Case cases[] = {
        {"LEER.KCC", kccBytes(128), {"LEER.KCC"}, "leer.bin"},
        {"a.kcc", addressed, {"a.kcc"}, "a.bin"},
        {"BINLOAD.KCC", sample, {dir / "BINLOAD.KCC"}, "binload.bin"},  // an absolute path
        // A path with spaces is one parameter; further ones are ignored.
        {"MEIN SPIEL.KCC", kccBytes(300), {"MEIN SPIEL.KCC", "ANDERES.KCC"}, "mein spiel.bin"},
        {"Späße-Ä×.KCC", kccBytes(200), {"Späße-Ä×.KCC"}, "späße-ä×.bin"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.input);
        dir.write(c.input, c.content);
        expectSuccess(run(c.args));
        EXPECT_EQ(dir.read(c.output), c.content.substr(128));
    }
}

TEST_F(Conversion, KeepsTheDirectoryPartAsGiven) {
    ASSERT_EQ(::mkdir((dir / "KC.KCC").c_str(), 0755), 0);
    dir.write("KC.KCC/SPIEL.KCC", kccBytes(200));
    expectSuccess(run({"KC.KCC/SPIEL.KCC"}));
    EXPECT_EQ(dir.entries("KC.KCC"), (std::set<std::string>{"SPIEL.KCC", "spiel.bin"}));
    EXPECT_EQ(dir.entries(), std::set<std::string>{"KC.KCC"});
}

TEST_F(Conversion, LowersAUtf8NameByCharacters) {
    dir.write("Späße-Ä×.KCC", kccBytes(200));
    expectSuccess(run({"Späße-Ä×.KCC"}));
    EXPECT_EQ(dir.read("späße-ä×.bin"), kccBytes(200).substr(128));
}

// The directory part alone leaves less room below PATH_MAX than a temporary
// name beside the output needs; its absolute path is longer still, so the
// tree is made relative to directory descriptors.
TEST_F(Conversion, ConvertsAnInputWhosePathIsNearTheSystemLimit) {
    constexpr std::size_t kDirectoryLength = PATH_MAX - 1 - std::string_view("X.KCC").size();
    std::string path;
    FileDescriptor deepest(::open(dir.path().c_str(), O_PATH | O_DIRECTORY | O_CLOEXEC));
    while (path.size() < kDirectoryLength) {
        const std::string name(std::min<std::size_t>(200, kDirectoryLength - path.size() - 1), 'd');
        ASSERT_EQ(::mkdirat(deepest.get(), name.c_str(), 0755), 0) << path.size();
        deepest =
            FileDescriptor(::openat(deepest.get(), name.c_str(), O_PATH | O_DIRECTORY | O_CLOEXEC));
        path += name + "/";
    }
    {
        const std::string input = kccBytes(300);
        const FileDescriptor file(::openat(deepest.get(), "X.KCC", O_WRONLY | O_CREAT, 0644));
        ASSERT_EQ(::write(file.get(), input.data(), input.size()), 300);
    }
    ASSERT_EQ(path.size() + 5, std::size_t{PATH_MAX - 1});

    expectSuccess(run({path + "X.KCC"}));
    struct stat output {};
    ASSERT_EQ(::fstatat(deepest.get(), "x.bin", &output, 0), 0);
    EXPECT_EQ(output.st_size, 172);
}

TEST_F(Conversion, ReplacesALongerOutputWholeAndKeepsItsPermissions) {
    dir.write("SPIEL.KCC", kccBytes(1000));
    dir.write("spiel.bin", std::string(5000, 'x'));
    ASSERT_EQ(::chmod((dir / "spiel.bin").c_str(), 0640), 0);
    expectSuccess(run({"SPIEL.KCC"}));
    EXPECT_EQ(dir.read("spiel.bin"), kccBytes(1000).substr(128));
    struct stat st {};
    ASSERT_EQ(::stat((dir / "spiel.bin").c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0640u);
}

TEST_F(Conversion, RefusesNamesNotEndingInKcc) {
    for (const char* name : {"SPIEL.KCB", "SPIEL.BIN", "SPIEL.KCC.", "SPIEL.KCC "}) {
        dir.write(name, kccBytes(1000));
        SCOPED_TRACE(name);
        expectFailure(run({name}), std::string("kccstrip: ") + name + ": not a .kcc file");
        EXPECT_EQ(dir.entries().size(), 1u);
        std::remove((dir / name).c_str());
    }
    expectFailure(run({}), "kccstrip: no KCC file given");
    expectFailure(run({""}), "kccstrip: no KCC file given");
    EXPECT_TRUE(dir.entries().empty());
}

TEST_F(Conversion, RefusesInputsWithoutACompleteHeader) {
    ASSERT_EQ(::mkdir((dir / "ORDNER.KCC").c_str(), 0755), 0);
    dir.write("LEER.KCC", "");
    dir.write("EINS.KCC", "x");
    dir.write("KURZ.KCC", kccBytes(127));
    dir.write("spiel.kcc", kccBytes(200));  // the input is opened by the name as given
    const auto before = dir.entries();
    expectFailure(run({"SPIEL.KCC"}), "kccstrip: SPIEL.KCC: No such file or directory");
    expectFailure(run({"ORDNER.KCC"}), "kccstrip: ORDNER.KCC: Is a directory");
    expectFailure(run({"LEER.KCC"}), "kccstrip: LEER.KCC: empty file");
    expectFailure(run({"EINS.KCC"}), "kccstrip: EINS.KCC: shorter than the 128-byte KCC header");
    expectFailure(run({"KURZ.KCC"}), "kccstrip: KURZ.KCC: shorter than the 128-byte KCC header");
    EXPECT_EQ(dir.entries(), before);
}

TEST_F(Conversion, FailedRenameLeavesNoTemporaryFile) {
    dir.write("SPIEL.KCC", kccBytes(1000));
    ASSERT_EQ(::mkdir((dir / "spiel.bin").c_str(), 0755), 0);
    dir.write("spiel.bin/inhalt", "bleibt");
    expectFailure(run({"SPIEL.KCC"}), "kccstrip: spiel.bin: Is a directory");
    EXPECT_EQ(dir.entries(), (std::set<std::string>{"SPIEL.KCC", "spiel.bin"}));
    EXPECT_EQ(dir.read("spiel.bin/inhalt"), "bleibt");
}

TEST_F(Conversion, FileSizeLimitIsAnOrdinaryFailureThatLeavesTheOutputAlone) {
    dir.write("SPIEL.KCC", kccBytes(100000));
    dir.write("spiel.bin", "alt");
    RunOptions options{.args = {"SPIEL.KCC"}, .cwd = dir.path(), .fileSizeLimit = 5000};
    expectFailure(runKccstrip(options), "kccstrip: spiel.bin: File too large");
    EXPECT_EQ(dir.read("spiel.bin"), "alt");
    EXPECT_EQ(dir.entries(), (std::set<std::string>{"SPIEL.KCC", "spiel.bin"}));
}

// As root, kccstrip runs as uid 65534, for whom the permissions count;
// otherwise as the test's own user.
class Permissions : public Conversion {
  protected:
    void SetUp() override {
        ::chmod(dir.path().c_str(), 0755);
        if (::geteuid() == 0 && !unprivilegedCanRunIn(dir.path())) {
            GTEST_SKIP() << "uid 65534 cannot reach " << KCCSTRIP_BINARY;
        }
    }

    RunResult runUnprivileged(const std::string& name) {
        RunOptions options{.args = {name}, .cwd = dir.path(), .unprivileged = true};
        return runKccstrip(options);
    }
};

TEST_F(Permissions, FailsWhenTheDirectoryIsNotWritable) {
    dir.write("SPIEL.KCC", kccBytes(1000));
    ::chmod(dir.path().c_str(), 0555);
    expectFailure(runUnprivileged("SPIEL.KCC"), "kccstrip: spiel.bin: Permission denied");
    EXPECT_EQ(dir.entries(), std::set<std::string>{"SPIEL.KCC"});
}

TEST_F(Permissions, LeavesAWriteProtectedOutputAlone) {
    ::chmod(dir.path().c_str(), 0777);
    dir.write("SPIEL.KCC", kccBytes(1000));
    dir.write("spiel.bin", "alt");
    ::chmod((dir / "spiel.bin").c_str(), 0444);
    expectFailure(runUnprivileged("SPIEL.KCC"), "kccstrip: spiel.bin: Permission denied");
    EXPECT_EQ(dir.read("spiel.bin"), "alt");
    EXPECT_EQ(dir.entries().size(), 2u);
}

// Whether `pid` has a file in the scratch directory open, other than the
// input, with bytes in it: the output being written, named or not.
bool isWritingTheOutput(pid_t pid, const ScratchDir& dir, ino_t input) {
    std::error_code ignored;
    for (const auto& fd : fs::directory_iterator("/proc/" + std::to_string(pid) + "/fd", ignored)) {
        struct stat file {};
        if (fs::read_symlink(fd.path(), ignored).string().starts_with(dir.path() + "/") &&
            ::stat(fd.path().c_str(), &file) == 0 && file.st_ino != input && file.st_size > 0) {
            return true;
        }
    }
    return false;
}

// A sparse input of 4 GiB takes seconds to copy, long enough to be signalled
// mid-copy; it also has no size limit to trip over.
class SignalDuringConversion : public Conversion, public testing::WithParamInterface<int> {};

TEST_P(SignalDuringConversion, LeavesNothingBehindAndEndsByTheSignal) {
    dir.write("GROSS.KCC", kccBytes(128));
    ASSERT_EQ(::truncate((dir / "GROSS.KCC").c_str(), off_t{4} << 30), 0);
    struct stat input {};
    ASSERT_EQ(::stat((dir / "GROSS.KCC").c_str(), &input), 0);
    KccstripProcess process(RunOptions{.args = {"GROSS.KCC"}, .cwd = dir.path()});
    bool writing = false;
    const auto giveUp = std::chrono::steady_clock::now() + std::chrono::seconds(60);
    while (!writing && std::chrono::steady_clock::now() < giveUp &&
           process.stillRunningAfter(std::chrono::milliseconds(1))) {
        writing = isWritingTheOutput(process.pid(), dir, input.st_ino);
    }
    ASSERT_TRUE(writing);
    process.sendSignal(GetParam());
    const RunResult result = process.finish();
    EXPECT_EQ(result.termSignal, GetParam());
    EXPECT_EQ(dir.entries(), std::set<std::string>{"GROSS.KCC"});
}

INSTANTIATE_TEST_SUITE_P(Signals, SignalDuringConversion, testing::Values(SIGKILL, SIGTERM),
                         [](const auto& info) { return std::string(sigabbrev_np(info.param)); });

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

// A built program run as a child process, the way the tests run them.
//
// The child gets its arguments, the test's environment with the changes
// asked for, and a standard input of given bytes (or a pipe the test writes
// to, a descriptor of the test's, or none at all). Its standard output and
// error go to pipes that are read whenever the test waits, so a full pipe
// never stops the child. It starts as from a shell: default signal actions,
// none blocked, and no core files. Everything the child needs is made before
// fork, since the tests run threads of their own. A child that outlives a
// time-out is killed, as is one still running when its ProgramRun goes, so a
// hang fails the test instead of stopping the run.
#pragma once

#include <sys/types.h>

#include <chrono>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace morvale::testing {

enum class Stdin {
    Text,    // stdinText, then the end of input
    Pipe,    // a pipe the test writes to (writeStdin) and finish() closes
    Closed,  // descriptor 0 not open at all
    Fd,      // stdinFd
};

struct RunOptions {
    std::string program{};            // the binary's path
    std::vector<std::string> args{};  // after the program name
    std::string cwd{};                // the test's own when empty
    Stdin stdinMode = Stdin::Text;
    std::string stdinText{};
    int stdinFd = -1;
    int stdoutFd = -1;                       // captured through a pipe when negative
    bool unprivileged = false;               // as uid/gid 65534 when the tests run as root
    long fileSizeLimit = -1;                 // RLIMIT_FSIZE in bytes, as `ulimit -f` sets it
    std::vector<std::string> environment{};  // "NAME=value" sets, "NAME" removes
};

struct RunResult {
    std::string out;
    std::string err;     // also why the program could not be started
    int exitCode = -1;   // -1 unless the process exited
    int termSignal = 0;  // the signal that ended it, if one did
    bool timedOut = false;
};

constexpr std::chrono::seconds kProgramTimeout{30};

class ProgramRun {
  public:
    // Starts the program and writes a Stdin::Text input, waiting while the
    // child has not read it yet. When the program cannot be started, finish()
    // says why in `err`, with exit code -1.
    explicit ProgramRun(const RunOptions& options);
    ~ProgramRun();
    ProgramRun(const ProgramRun&) = delete;
    ProgramRun& operator=(const ProgramRun&) = delete;

    pid_t pid() const { return pid_; }
    // Writes to a Stdin::Pipe while reading the output. Stops early, without
    // a word, when the child no longer reads or kProgramTimeout passes.
    void writeStdin(std::string_view bytes);
    // Sends `signal` to the child, unless it has been waited for.
    void sendSignal(int signal);
    // True when the process has not ended within `wait`.
    bool stillRunningAfter(std::chrono::milliseconds wait);
    // Reads the output until `enough` holds for the standard output so far,
    // the output ends, or `timeout` passes; returns whether `enough` holds.
    bool waitForOutput(const std::function<bool(const std::string&)>& enough,
                       std::chrono::milliseconds timeout);
    // The standard output read so far.
    const std::string& output() const { return out_; }
    // Closes a Stdin::Pipe, reads the output to its end and waits for the
    // process. When `timeout` passes first it is killed and `timedOut` set.
    RunResult finish(std::chrono::seconds timeout = kProgramTimeout);

  private:
    using Clock = std::chrono::steady_clock;

    // Writes `input` (emptied as it goes) and reads the output until `done`,
    // or until nothing is left to read or write, or `deadline`; returns done().
    bool transfer(std::string_view& input, Clock::time_point deadline,
                  const std::function<bool()>& done);

    pid_t pid_ = -1;
    int stdinWrite_ = -1;
    int stdoutRead_ = -1;
    int stderrRead_ = -1;
    bool reaped_ = false;
    int status_ = 0;
    std::string out_;
    std::string err_;
};

// Runs the program to its end (finish()).
RunResult runProgram(const RunOptions& options);

}  // namespace morvale::testing

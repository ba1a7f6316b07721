// Runs the built kccstrip as a child process and captures what it does.
//
// Standard output and error go to pipes unless a descriptor is given for
// standard output. The child is killed after a time-out, so a wait that never
// ends fails the test instead of hanging it.
#pragma once

#include <sys/types.h>
#include <chrono>
#include <string>
#include <string_view>
#include <vector>

enum class Stdin {
    Text,    // stdinText, then the end of input
    Pipe,    // a pipe the test writes to and closes (writeStdin, finish)
    Closed,  // descriptor 0 not open at all
    Fd,      // stdinFd
};

struct RunOptions {
    std::vector<std::string> args{};  // after the program name
    std::string cwd{};                // the test's own when empty
    Stdin stdinMode = Stdin::Text;
    std::string stdinText{};
    int stdinFd = -1;
    int stdoutFd = -1;          // captured through a pipe when negative
    bool unprivileged = false;  // as uid/gid 65534 when the tests run as root
    long fileSizeLimit = -1;    // RLIMIT_FSIZE in bytes, as `ulimit -f` sets it
};

struct RunResult {
    std::string out;
    std::string err;
    int exitCode = -1;   // -1 unless the process exited
    int termSignal = 0;  // the signal that ended it, if one did
    bool timedOut = false;
};

class KccstripProcess {
  public:
    explicit KccstripProcess(const RunOptions& options);
    ~KccstripProcess();
    KccstripProcess(const KccstripProcess&) = delete;
    KccstripProcess& operator=(const KccstripProcess&) = delete;

    pid_t pid() const { return pid_; }
    void writeStdin(std::string_view bytes);
    // True when the process has not ended within `wait`.
    bool stillRunningAfter(std::chrono::milliseconds wait);
    // Closes the test's end of a Stdin::Pipe, collects the output and waits.
    RunResult finish(std::chrono::seconds timeout = std::chrono::seconds(10));

  private:
    pid_t pid_ = -1;
    int stdinWrite_ = -1;
    int stdoutRead_ = -1;
    int stderrRead_ = -1;
    bool reaped_ = false;
    int status_ = 0;
};

RunResult runKccstrip(const RunOptions& options);

// Whether a process as uid/gid 65534 can run kccstrip in `dir`; tests of
// permissions are skipped otherwise.
bool unprivilegedCanRunIn(const std::string& dir);

#include "program_run.h"

#include <fcntl.h>
#include <grp.h>
#include <poll.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <csignal>
#include <cstring>
#include <thread>

extern char** environ;

namespace morvale::testing {

namespace {

constexpr uid_t kNobody = 65534;

void closeFd(int& fd) {
    if (fd >= 0) {
        ::close(fd);
        fd = -1;
    }
}

// The test's environment with the changes made.
std::vector<std::string> changedEnvironment(const std::vector<std::string>& changes) {
    std::vector<std::string> environment;
    for (char** entry = environ; *entry != nullptr; ++entry) {
        const std::string variable = *entry;
        const bool changed = std::any_of(changes.begin(), changes.end(), [&](const auto& change) {
            return variable.starts_with(change.substr(0, change.find('=')) + "=");
        });
        if (!changed) {
            environment.push_back(variable);
        }
    }
    for (const std::string& change : changes) {
        if (change.find('=') != std::string::npos) {
            environment.push_back(change);
        }
    }
    return environment;
}

std::vector<char*> pointersTo(std::vector<std::string>& strings) {
    std::vector<char*> pointers;
    for (std::string& text : strings) {
        pointers.push_back(text.data());
    }
    pointers.push_back(nullptr);
    return pointers;
}

// In the child between fork and exec: only calls that are safe there.
[[noreturn]] void execInChild(const RunOptions& options, int stdinFd, int stdoutFd, int stderrFd,
                              char* const* argv, char* const* envp) {
    if (options.stdinMode == Stdin::Closed) {
        ::close(STDIN_FILENO);
    } else {
        ::dup2(stdinFd, STDIN_FILENO);
    }
    ::dup2(stdoutFd, STDOUT_FILENO);
    ::dup2(stderrFd, STDERR_FILENO);
    for (int signal = 1; signal <= SIGRTMAX; ++signal) {
        std::signal(signal, SIG_DFL);
    }
    sigset_t none;
    sigemptyset(&none);
    ::sigprocmask(SIG_SETMASK, &none, nullptr);
    // Core files would land in the test's folder.
    const rlimit noCore{0, 0};
    ::setrlimit(RLIMIT_CORE, &noCore);
    if (options.fileSizeLimit >= 0) {
        const rlimit limit{static_cast<rlim_t>(options.fileSizeLimit),
                           static_cast<rlim_t>(options.fileSizeLimit)};
        ::setrlimit(RLIMIT_FSIZE, &limit);
    }
    if (options.unprivileged && ::geteuid() == 0 &&
        (::setgroups(0, nullptr) != 0 || ::setgid(kNobody) != 0 || ::setuid(kNobody) != 0)) {
        ::_exit(126);
    }
    if (!options.cwd.empty() && ::chdir(options.cwd.c_str()) != 0) {
        ::_exit(125);
    }
    ::execve(argv[0], argv, envp);
    ::_exit(127);
}

}  // namespace

ProgramRun::ProgramRun(const RunOptions& options) {
    std::signal(SIGPIPE, SIG_IGN);  // the child may not read all its input
    int in[2] = {-1, -1}, out[2] = {-1, -1}, err[2] = {-1, -1};
    const bool stdinPipe = options.stdinMode == Stdin::Text || options.stdinMode == Stdin::Pipe;
    std::vector<std::string> args{options.program};
    args.insert(args.end(), options.args.begin(), options.args.end());
    std::vector<std::string> environment = changedEnvironment(options.environment);
    const std::vector<char*> argv = pointersTo(args);
    const std::vector<char*> envp = pointersTo(environment);

    if ((stdinPipe && ::pipe2(in, O_CLOEXEC) != 0) ||
        (options.stdoutFd < 0 && ::pipe2(out, O_CLOEXEC) != 0) || ::pipe2(err, O_CLOEXEC) != 0 ||
        (pid_ = ::fork()) < 0) {
        err_ = "cannot start " + options.program + ": " + std::strerror(errno);
        for (int* fd : {&in[0], &in[1], &out[0], &out[1], &err[0], &err[1]}) {
            closeFd(*fd);
        }
        return;
    }
    if (pid_ == 0) {
        execInChild(options, stdinPipe ? in[0] : options.stdinFd,
                    options.stdoutFd >= 0 ? options.stdoutFd : out[1], err[1], argv.data(),
                    envp.data());
    }
    closeFd(in[0]);
    closeFd(out[1]);
    closeFd(err[1]);
    stdinWrite_ = in[1];
    stdoutRead_ = out[0];
    stderrRead_ = err[0];
    // Written while the output is read, so neither side waits for the other.
    if (stdinWrite_ >= 0) {
        ::fcntl(stdinWrite_, F_SETFL, O_NONBLOCK);
    }
    if (options.stdinMode == Stdin::Text) {
        writeStdin(options.stdinText);
        closeFd(stdinWrite_);
    }
}

ProgramRun::~ProgramRun() {
    if (pid_ > 0 && !reaped_) {
        ::kill(pid_, SIGKILL);
        ::waitpid(pid_, nullptr, 0);
    }
    closeFd(stdinWrite_);
    closeFd(stdoutRead_);
    closeFd(stderrRead_);
}

bool ProgramRun::transfer(std::string_view& input, Clock::time_point deadline,
                          const std::function<bool()>& done) {
    while (!done()) {
        pollfd fds[3] = {{input.empty() ? -1 : stdinWrite_, POLLOUT, 0},
                         {stdoutRead_, POLLIN, 0},
                         {stderrRead_, POLLIN, 0}};
        const auto left =
            std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now());
        if (left.count() <= 0 || std::all_of(fds, fds + 3, [](auto& p) { return p.fd < 0; })) {
            return false;
        }
        const int ready = ::poll(fds, 3, static_cast<int>(left.count()));
        if (ready < 0 && errno != EINTR) {
            return false;
        }
        if (ready <= 0) {
            continue;
        }
        if (fds[0].revents != 0) {
            const ssize_t written = ::write(stdinWrite_, input.data(), input.size());
            if (written > 0) {
                input.remove_prefix(static_cast<std::size_t>(written));
            } else if (errno != EINTR && errno != EAGAIN) {
                input = {};  // the child no longer reads
            }
        }
        std::string* sinks[] = {&out_, &err_};
        int* sources[] = {&stdoutRead_, &stderrRead_};
        for (int i = 0; i < 2; ++i) {
            if (fds[i + 1].fd >= 0 && fds[i + 1].revents != 0) {
                char buffer[4096];
                const ssize_t got = ::read(fds[i + 1].fd, buffer, sizeof buffer);
                if (got > 0) {
                    sinks[i]->append(buffer, static_cast<std::size_t>(got));
                } else if (got == 0 || errno != EINTR) {
                    closeFd(*sources[i]);
                }
            }
        }
    }
    return true;
}

void ProgramRun::writeStdin(std::string_view bytes) {
    if (stdinWrite_ < 0) {
        return;
    }
    transfer(bytes, Clock::now() + kProgramTimeout, [&] { return bytes.empty(); });
}

void ProgramRun::sendSignal(int signal) {
    if (pid_ > 0 && !reaped_) {
        ::kill(pid_, signal);
    }
}

bool ProgramRun::stillRunningAfter(std::chrono::milliseconds wait) {
    const auto deadline = Clock::now() + wait;
    std::string_view none;
    while (pid_ > 0 && !reaped_ && Clock::now() < deadline) {
        if (::waitpid(pid_, &status_, WNOHANG) == pid_) {
            reaped_ = true;
        } else if (!transfer(none, std::min(deadline, Clock::now() + std::chrono::milliseconds(5)),
                             [] { return false; }) &&
                   stdoutRead_ < 0 && stderrRead_ < 0) {
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        }
    }
    return pid_ > 0 && !reaped_;
}

bool ProgramRun::waitForOutput(const std::function<bool(const std::string&)>& enough,
                               std::chrono::milliseconds timeout) {
    std::string_view none;
    transfer(none, Clock::now() + timeout, [&] { return enough(out_) || stdoutRead_ < 0; });
    return enough(out_);
}

RunResult ProgramRun::finish(std::chrono::seconds timeout) {
    RunResult result;
    closeFd(stdinWrite_);
    if (pid_ > 0) {
        const auto deadline = Clock::now() + timeout;
        std::string_view none;
        result.timedOut =
            !transfer(none, deadline, [&] { return stdoutRead_ < 0 && stderrRead_ < 0; });
        if (result.timedOut) {
            ::kill(pid_, SIGKILL);
        }
        // Output may end early (a given stdout); the process may still run.
        while (!reaped_) {
            const pid_t ended = ::waitpid(pid_, &status_, result.timedOut ? 0 : WNOHANG);
            if (ended == pid_ || (ended < 0 && errno != EINTR)) {
                reaped_ = true;
            } else if (ended == 0 && Clock::now() >= deadline) {
                result.timedOut = true;
                ::kill(pid_, SIGKILL);
            } else if (ended == 0) {
                std::this_thread::sleep_for(std::chrono::milliseconds(2));
            }
        }
        if (WIFEXITED(status_)) {
            result.exitCode = WEXITSTATUS(status_);
        } else if (WIFSIGNALED(status_)) {
            result.termSignal = WTERMSIG(status_);
        }
    }
    result.out = out_;
    result.err = err_;
    return result;
}

RunResult runProgram(const RunOptions& options) {
    return ProgramRun(options).finish();
}

}  // namespace morvale::testing

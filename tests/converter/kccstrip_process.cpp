#include "kccstrip_process.h"

#include <cerrno>
#include <csignal>
#include <thread>

#include <fcntl.h>
#include <grp.h>
#include <poll.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

constexpr uid_t kNobody = 65534;

void dropPrivileges() {
    if (::geteuid() == 0 &&
        (::setgroups(0, nullptr) != 0 || ::setgid(kNobody) != 0 || ::setuid(kNobody) != 0)) {
        ::_exit(126);
    }
}

void closeFd(int& fd) {
    if (fd >= 0) {
        ::close(fd);
        fd = -1;
    }
}

}  // namespace

KccstripProcess::KccstripProcess(const RunOptions& options) {
    int in[2] = {-1, -1}, out[2] = {-1, -1}, err[2] = {-1, -1};
    const bool stdinPipe = options.stdinMode == Stdin::Text || options.stdinMode == Stdin::Pipe;
    if ((stdinPipe && ::pipe2(in, O_CLOEXEC) != 0) ||
        (options.stdoutFd < 0 && ::pipe2(out, O_CLOEXEC) != 0) || ::pipe2(err, O_CLOEXEC) != 0) {
        return;
    }
    std::vector<std::string> args{KCCSTRIP_BINARY};
    args.insert(args.end(), options.args.begin(), options.args.end());
    std::vector<char*> argv;
    for (auto& arg : args) {
        argv.push_back(arg.data());
    }
    argv.push_back(nullptr);

    pid_ = ::fork();
    if (pid_ == 0) {
        const int stdinFd = stdinPipe ? in[0] : options.stdinFd;
        if (options.stdinMode == Stdin::Closed) {
            ::close(0);
        } else {
            ::dup2(stdinFd, 0);
        }
        ::dup2(options.stdoutFd >= 0 ? options.stdoutFd : out[1], 1);
        ::dup2(err[1], 2);
        // A process started from a shell has the default actions, none
        // blocked; core files would land in the test's directory.
        for (int signal = 1; signal <= SIGRTMAX; ++signal) {
            std::signal(signal, SIG_DFL);
        }
        sigset_t none;
        sigemptyset(&none);
        ::sigprocmask(SIG_SETMASK, &none, nullptr);
        const rlimit noCore{0, 0};
        ::setrlimit(RLIMIT_CORE, &noCore);
        if (options.fileSizeLimit >= 0) {
            const rlimit limit{static_cast<rlim_t>(options.fileSizeLimit),
                               static_cast<rlim_t>(options.fileSizeLimit)};
            ::setrlimit(RLIMIT_FSIZE, &limit);
        }
        if (options.unprivileged) {
            dropPrivileges();
        }
        if (!options.cwd.empty() && ::chdir(options.cwd.c_str()) != 0) {
            ::_exit(125);
        }
        ::execv(argv[0], argv.data());
        ::_exit(127);
    }
    ::close(in[0]);
    ::close(out[1]);
    ::close(err[1]);
    stdinWrite_ = in[1];
    stdoutRead_ = out[0];
    stderrRead_ = err[0];
    if (options.stdinMode == Stdin::Text) {
        writeStdin(options.stdinText);
        closeFd(stdinWrite_);
    }
}

KccstripProcess::~KccstripProcess() {
    if (pid_ > 0 && !reaped_) {
        ::kill(pid_, SIGKILL);
        ::waitpid(pid_, nullptr, 0);
    }
    closeFd(stdinWrite_);
    closeFd(stdoutRead_);
    closeFd(stderrRead_);
}

void KccstripProcess::writeStdin(std::string_view bytes) {
    std::signal(SIGPIPE, SIG_IGN);  // the child may not read it all
    while (!bytes.empty()) {
        const ssize_t written = ::write(stdinWrite_, bytes.data(), bytes.size());
        if (written <= 0) {
            return;
        }
        bytes.remove_prefix(static_cast<std::size_t>(written));
    }
}

bool KccstripProcess::stillRunningAfter(std::chrono::milliseconds wait) {
    const auto deadline = std::chrono::steady_clock::now() + wait;
    while (!reaped_ && std::chrono::steady_clock::now() < deadline) {
        if (::waitpid(pid_, &status_, WNOHANG) == pid_) {
            reaped_ = true;
        } else {
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        }
    }
    return !reaped_;
}

RunResult KccstripProcess::finish(std::chrono::seconds timeout) {
    RunResult result;
    closeFd(stdinWrite_);
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    std::string* sinks[] = {&result.out, &result.err};
    int* sources[] = {&stdoutRead_, &stderrRead_};
    while (stdoutRead_ >= 0 || stderrRead_ >= 0) {
        pollfd fds[2] = {{stdoutRead_, POLLIN, 0}, {stderrRead_, POLLIN, 0}};
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
            deadline - std::chrono::steady_clock::now());
        if (left.count() <= 0) {
            result.timedOut = true;
            ::kill(pid_, SIGKILL);
            break;
        }
        if (::poll(fds, 2, static_cast<int>(left.count())) < 0 && errno != EINTR) {
            break;
        }
        for (int i = 0; i < 2; ++i) {
            if (fds[i].fd >= 0 && fds[i].revents != 0) {
                char buffer[4096];
                const ssize_t got = ::read(fds[i].fd, buffer, sizeof buffer);
                if (got > 0) {
                    sinks[i]->append(buffer, static_cast<std::size_t>(got));
                } else {
                    closeFd(*sources[i]);
                }
            }
        }
    }
    if (!reaped_) {
        // Output may end early (a given stdout); the process may still run.
        while (!result.timedOut && ::waitpid(pid_, &status_, WNOHANG) == 0) {
            if (std::chrono::steady_clock::now() >= deadline) {
                result.timedOut = true;
                ::kill(pid_, SIGKILL);
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(2));
        }
        if (result.timedOut) {
            ::waitpid(pid_, &status_, 0);
        }
        reaped_ = true;
    }
    if (WIFEXITED(status_)) {
        result.exitCode = WEXITSTATUS(status_);
    } else if (WIFSIGNALED(status_)) {
        result.termSignal = WTERMSIG(status_);
    }
    return result;
}

RunResult runKccstrip(const RunOptions& options) {
    return KccstripProcess(options).finish();
}

bool unprivilegedCanRunIn(const std::string& dir) {
    const pid_t pid = ::fork();
    if (pid == 0) {
        dropPrivileges();
        ::_exit(::access(KCCSTRIP_BINARY, X_OK) == 0 && ::access(dir.c_str(), X_OK) == 0 ? 0 : 1);
    }
    int status = 0;
    ::waitpid(pid, &status, 0);
    return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

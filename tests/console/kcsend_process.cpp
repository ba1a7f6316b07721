#include "kcsend_process.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>

namespace morvale::testing {
namespace {

void pipeOrDie(int fds[2]) {
    if (::pipe2(fds, O_CLOEXEC) != 0) {
        std::abort();
    }
}

}  // namespace

KcsendProcess::KcsendProcess(const std::vector<std::string>& args, const std::string& input) {
    int in[2], out[2], err[2];
    pipeOrDie(in);
    pipeOrDie(out);
    pipeOrDie(err);
    std::vector<std::string> all{KCSEND_BINARY};
    all.insert(all.end(), args.begin(), args.end());
    std::vector<char*> argv;
    for (std::string& arg : all) {
        argv.push_back(arg.data());
    }
    argv.push_back(nullptr);

    pid_ = ::fork();
    if (pid_ == 0) {
        ::dup2(in[0], STDIN_FILENO);
        ::dup2(out[1], STDOUT_FILENO);
        ::dup2(err[1], STDERR_FILENO);
        ::signal(SIGINT, SIG_DFL);
        ::execv(argv[0], argv.data());
        ::_exit(127);
    }
    ::close(in[0]);
    ::close(out[1]);
    ::close(err[1]);
    out_ = out[0];
    err_ = err[0];
    // An input larger than the pipe holds waits here until the child has read
    // the rest; kcsend reads standard input first, up to one byte past what
    // it takes.
    std::size_t done = 0;
    while (done < input.size()) {
        const ssize_t n = ::write(in[1], input.data() + done, input.size() - done);
        if (n <= 0 && errno != EINTR) {
            break;
        }
        done += n > 0 ? static_cast<std::size_t>(n) : 0;
    }
    ::close(in[1]);
}

KcsendProcess::~KcsendProcess() {
    if (pid_ > 0) {
        ::kill(pid_, SIGKILL);
        ::waitpid(pid_, nullptr, 0);
    }
    for (const int fd : {out_, err_}) {
        if (fd >= 0) {
            ::close(fd);
        }
    }
}

void KcsendProcess::interrupt() {
    ::kill(pid_, SIGINT);
}

KcsendResult KcsendProcess::finish(std::chrono::seconds timeout) {
    KcsendResult result;
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    while (out_ >= 0 || err_ >= 0) {
        if (std::chrono::steady_clock::now() > deadline) {
            ::kill(pid_, SIGKILL);
            break;
        }
        pollfd fds[2] = {{out_, POLLIN, 0}, {err_, POLLIN, 0}};
        if (::poll(fds, 2, 100) <= 0) {
            continue;
        }
        for (int k = 0; k < 2; ++k) {
            int& fd = k == 0 ? out_ : err_;
            if (fd < 0 || fds[k].revents == 0) {
                continue;
            }
            char buffer[4096];
            const ssize_t n = ::read(fd, buffer, sizeof buffer);
            if (n > 0) {
                (k == 0 ? result.out : result.err).append(buffer, static_cast<std::size_t>(n));
            } else if (n == 0 || errno != EINTR) {
                ::close(fd);
                fd = -1;
            }
        }
    }
    int status = 0;
    ::waitpid(pid_, &status, 0);
    pid_ = -1;
    if (WIFEXITED(status)) {
        result.status = WEXITSTATUS(status);
    }
    return result;
}

}  // namespace morvale::testing

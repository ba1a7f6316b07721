#include "kcsim_process.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <regex>
#include <sstream>

#include <gtest/gtest.h>

namespace kcsim::testing {

namespace {

std::string drain(int fd) {
    std::string text;
    char buffer[4096];
    ssize_t count;
    while ((count = ::read(fd, buffer, sizeof buffer)) > 0) {
        text.append(buffer, static_cast<std::size_t>(count));
    }
    return text;
}

std::size_t occurrences(const std::string& text, const std::string& part) {
    std::size_t count = 0;
    for (auto at = text.find(part); at != std::string::npos; at = text.find(part, at + 1)) {
        ++count;
    }
    return count;
}

}  // namespace

KcsimProcess::KcsimProcess(const std::vector<std::string>& arguments) {
    int out[2];
    int err[2];
    if (::pipe2(out, O_CLOEXEC) != 0 || ::pipe2(err, O_CLOEXEC) != 0) {
        ADD_FAILURE() << "pipe";
        return;
    }
    pid_ = ::fork();
    if (pid_ == 0) {
        ::dup2(out[1], STDOUT_FILENO);
        ::dup2(err[1], STDERR_FILENO);
        std::vector<char*> argv{const_cast<char*>(KCSIM_BINARY)};
        for (const std::string& argument : arguments) {
            argv.push_back(const_cast<char*>(argument.c_str()));
        }
        argv.push_back(nullptr);
        // The test runner may ignore SIGINT; kcsim keeps ignored signals ignored.
        ::signal(SIGINT, SIG_DFL);
        ::execv(KCSIM_BINARY, argv.data());
        ::_exit(127);
    }
    ::close(out[1]);
    ::close(err[1]);
    out_ = out[0];
    err_ = err[0];
    const std::regex device("kcsim: virtual KC on (\\S+)");
    if (!waitForOutput("\n")) {
        ADD_FAILURE() << "kcsim named no device: " << output_;
        return;
    }
    std::smatch match;
    if (std::regex_search(output_, match, device)) {
        devicePath_ = match[1];
    } else {
        ADD_FAILURE() << "kcsim named no device: " << output_;
    }
}

KcsimProcess::~KcsimProcess() {
    if (pid_ > 0) {
        ::kill(pid_, SIGKILL);
        ::waitpid(pid_, nullptr, 0);
    }
    if (out_ >= 0) {
        ::close(out_);
    }
    if (err_ >= 0) {
        ::close(err_);
    }
}

bool KcsimProcess::readSome(std::chrono::milliseconds wait) {
    pollfd ready{out_, POLLIN, 0};
    if (outputEnded_ || ::poll(&ready, 1, static_cast<int>(wait.count())) <= 0) {
        return false;
    }
    char buffer[4096];
    const ssize_t count = ::read(out_, buffer, sizeof buffer);
    if (count <= 0) {
        outputEnded_ = true;
        return false;
    }
    output_.append(buffer, static_cast<std::size_t>(count));
    return true;
}

bool KcsimProcess::waitForOutput(const std::string& text, int times, std::chrono::seconds timeout) {
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    while (occurrences(output_, text) < static_cast<std::size_t>(times)) {
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
            deadline - std::chrono::steady_clock::now());
        if (left.count() <= 0 || (!readSome(left) && outputEnded_)) {
            return false;
        }
    }
    return true;
}

std::string KcsimProcess::interrupt() {
    if (pid_ <= 0) {
        return output_;
    }
    ::kill(pid_, SIGINT);
    // Standard output is read to its end before the wait, so a full pipe
    // cannot stop kcsim from ending; one that does not end is killed.
    while (readSome(std::chrono::seconds(10))) {
    }
    if (!outputEnded_) {
        ADD_FAILURE() << "kcsim did not end on SIGINT";
        ::kill(pid_, SIGKILL);
    }
    error_ += drain(err_);
    int status = 0;
    ::waitpid(pid_, &status, 0);
    pid_ = -1;
    exitCode_ = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return output_;
}

}  // namespace kcsim::testing

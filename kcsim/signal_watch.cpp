#include "signal_watch.h"

#include <sys/signalfd.h>
#include <unistd.h>

namespace kcsim {

using posix_io::FileDescriptor;
using posix_io::retryOnEintr;

Result<FileDescriptor> watchSignals() {
    sigset_t watched;
    sigemptyset(&watched);
    for (const int signal : {SIGINT, SIGTERM, SIGHUP, kResetSignal}) {
        struct sigaction present {};
        if (::sigaction(signal, nullptr, &present) == 0 && present.sa_handler != SIG_IGN) {
            sigaddset(&watched, signal);
        }
    }
    // Output to a reader that went away fails as EPIPE instead.
    ::signal(SIGPIPE, SIG_IGN);
    if (::sigprocmask(SIG_BLOCK, &watched, nullptr) != 0) {
        return kc::systemError("cannot block the signals", errno);
    }
    FileDescriptor fd(::signalfd(-1, &watched, SFD_NONBLOCK | SFD_CLOEXEC));
    if (!fd.valid()) {
        return kc::systemError("cannot watch the signals", errno);
    }
    return fd;
}

std::optional<int> takeSignal(int signalFd) {
    signalfd_siginfo info{};
    if (retryOnEintr([&] { return ::read(signalFd, &info, sizeof info); }) !=
        static_cast<ssize_t>(sizeof info)) {
        return std::nullopt;
    }
    return static_cast<int>(info.ssi_signo);
}

}  // namespace kcsim

#include "signal_cleanup.h"

#include <climits>
#include <cstring>

#include <unistd.h>

namespace kccstrip {

namespace {

constexpr int kCleanupSignals[] = {SIGINT, SIGTERM, SIGHUP};

// Written only while the signals are blocked, read only by the handler.
char cleanupPath[PATH_MAX];
volatile sig_atomic_t cleanupArmed = 0;

sigset_t cleanupSignalSet() {
    sigset_t set;
    sigemptyset(&set);
    for (int signal : kCleanupSignals) {
        sigaddset(&set, signal);
    }
    return set;
}

extern "C" void removeAndRaise(int signal) {
    if (cleanupArmed) {
        unlink(cleanupPath);
    }
    struct sigaction fallback {};
    fallback.sa_handler = SIG_DFL;
    sigemptyset(&fallback.sa_mask);
    sigaction(signal, &fallback, nullptr);

    sigset_t self;
    sigemptyset(&self);
    sigaddset(&self, signal);
    sigprocmask(SIG_UNBLOCK, &self, nullptr);
    raise(signal);
}

}  // namespace

void installSignalCleanup() {
    struct sigaction action {};
    action.sa_handler = removeAndRaise;
    action.sa_mask = cleanupSignalSet();
    for (int signal : kCleanupSignals) {
        struct sigaction previous {};
        sigaction(signal, nullptr, &previous);
        if (previous.sa_handler != SIG_IGN) {
            sigaction(signal, &action, nullptr);
        }
    }
}

SignalBlock::SignalBlock() {
    const sigset_t set = cleanupSignalSet();
    sigprocmask(SIG_BLOCK, &set, &previous_);
}

SignalBlock::~SignalBlock() {
    sigprocmask(SIG_SETMASK, &previous_, nullptr);
}

bool registerCleanupPath(const char* path) {
    const std::size_t length = std::strlen(path);
    if (length >= sizeof cleanupPath) {
        return false;
    }
    std::memcpy(cleanupPath, path, length + 1);
    cleanupArmed = 1;
    return true;
}

void clearCleanupPath() {
    cleanupArmed = 0;
}

}  // namespace kccstrip

#include "signal_cleanup.h"

#include <climits>
#include <csignal>
#include <cstring>

#include <fcntl.h>
#include <unistd.h>

namespace kccstrip {

namespace {

// The signals whose default action ends the process, apart from SIGKILL and
// the real-time signals, which are added by range.
constexpr int kEndingSignals[] = {
    SIGHUP,    SIGINT,  SIGQUIT,   SIGILL,  SIGTRAP, SIGABRT, SIGBUS,
    SIGFPE,    SIGUSR1, SIGSEGV,   SIGUSR2, SIGPIPE, SIGALRM, SIGTERM,
    SIGSTKFLT, SIGXCPU, SIGVTALRM, SIGPROF, SIGIO,   SIGPWR,  SIGSYS,
};

// Written only while the signals are blocked, read only by the handler.
int cleanupDir = -1;
char cleanupName[NAME_MAX + 1];
volatile sig_atomic_t cleanupArmed = 0;

sigset_t cleanupSignalSet() {
    sigset_t set;
    sigemptyset(&set);
    for (int signal : kEndingSignals) {
        sigaddset(&set, signal);
    }
    for (int signal = SIGRTMIN; signal <= SIGRTMAX; ++signal) {
        sigaddset(&set, signal);
    }
    return set;
}

extern "C" void removeAndRaise(int signal) {
    if (cleanupArmed) {
        unlinkat(cleanupDir, cleanupName, 0);
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
    std::signal(SIGXFSZ, SIG_IGN);

    struct sigaction action {};
    action.sa_handler = removeAndRaise;
    action.sa_mask = cleanupSignalSet();
    for (int signal = 1; signal <= SIGRTMAX; ++signal) {
        struct sigaction previous {};
        if (sigismember(&action.sa_mask, signal) == 1 &&
            sigaction(signal, nullptr, &previous) == 0 && previous.sa_handler != SIG_IGN) {
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

bool registerCleanupFile(int dir, const char* name) {
    const std::size_t length = std::strlen(name);
    if (length >= sizeof cleanupName) {
        return false;
    }
    std::memcpy(cleanupName, name, length + 1);
    cleanupDir = dir;
    cleanupArmed = 1;
    return true;
}

void clearCleanupFile() {
    cleanupArmed = 0;
}

}  // namespace kccstrip

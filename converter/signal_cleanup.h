// Removal of a named temporary output when a signal ends the process.
//
// Every signal that ends the process by default and can be caught (SIGINT,
// SIGTERM, SIGHUP, SIGQUIT, SIGALRM, SIGUSR1, the real-time signals, ...)
// gets a handler that unlinks the one registered file, if any, restores the
// default action and raises the signal again, so the process still ends by
// that signal. A signal that was ignored when the process started stays
// ignored (nohup, background jobs). SIGXFSZ is ignored instead: a write beyond
// the file-size limit then fails with EFBIG and is reported like any other
// failure. SIGKILL cannot be caught; only a file that has no name survives it
// unseen, which is why the output is written into one where it can be.
//
// The file is registered and cleared only while SignalBlock holds the signals
// back, so the handler never sees it half written, and a file is never
// created or renamed without the handler knowing of it.
#pragma once

#include <signal.h>

namespace kccstrip {

// Installs the handler and ignores SIGXFSZ. Call once, before any file is
// registered.
void installSignalCleanup();

// Holds the handled signals back for its lifetime; a signal that comes
// meanwhile is delivered when it ends.
class SignalBlock {
  public:
    SignalBlock();
    ~SignalBlock();
    SignalBlock(const SignalBlock&) = delete;
    SignalBlock& operator=(const SignalBlock&) = delete;

  private:
    sigset_t previous_;
};

// Names the file the handler removes: `name` in the directory open as `dir`,
// which must stay open until clearCleanupFile. False when the name is too
// long to be kept (longer than NAME_MAX), in which case nothing is registered.
bool registerCleanupFile(int dir, const char* name);

// Forgets the registered file.
void clearCleanupFile();

}  // namespace kccstrip

// Removal of the temporary output when a signal ends the process.
//
// SIGINT, SIGTERM and SIGHUP (the terminal closed) get a handler that unlinks
// the one registered path, if any, restores the default action and raises the
// signal again, so the process still ends by that signal. A signal that was
// ignored when the process started stays ignored (nohup, background jobs).
// The path is registered and cleared only while SignalBlock holds the three
// signals back, so the handler never sees it half written, and a file is
// never created or renamed without the handler knowing of it.
#pragma once

#include <signal.h>

namespace kccstrip {

// Installs the handler for the three signals. Call once, before any file is
// registered.
void installSignalCleanup();

// Holds SIGINT, SIGTERM and SIGHUP back for its lifetime; a signal that comes
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

// Names the file the handler removes. False when the path is too long to be
// kept (longer than PATH_MAX), in which case nothing is registered.
bool registerCleanupPath(const char* path);

// Forgets the registered path.
void clearCleanupPath();

}  // namespace kccstrip

// Ctrl+C for kcsend. The first one asks the running operation to stop in
// good order (the engine's pacer says so at the end of the tick); a second
// one ends the program at once with status 130.
#pragma once

#include "pacer.h"

namespace morvale::console {

inline constexpr int kInterruptedStatus = 130;

// Installs the handler for SIGINT, without SA_RESTART, so that a blocking
// read returns and can look at interrupted(). False when it cannot.
bool installInterruptHandler();

// True once Ctrl+C has been pressed.
bool interrupted();

// Whether standard error holds an unfinished line (the progress line), which
// the message of the second Ctrl+C must end first.
void setLineOpen(bool open);

// The pauses of kcsend: each sleeps until its deadline (there are no window
// events to wait for), and a Ctrl+C is the stop. It is told at the
// deadline, not earlier, so that pauses that do not take a stop (the one
// after the opening carriage return) keep their full length.
class InterruptPacer final : public Pacer {
  public:
    bool waitForStop(Clock::time_point deadline) override;
};

}  // namespace morvale::console

// The loop that serves the line until kcsim is to end.
//
// It sleeps in poll() on the master and on the signals, with a time-out to
// the next thing due: the next byte of what the KC sends (answer_writer.h),
// the end of a hold (XON), the give-up on an ESC command whose bytes stopped
// coming, the end after --exit-after-idle. Bytes are stamped when read, each
// read with the steady clock. The screen's text goes to standard output after
// every read; a failed write there (a reader that went away) does not end the
// loop. SIGUSR1 is the KC's RESET key.
//
// What kcsim writes into the master waits in the slave's input for whoever
// reads the port; kcsim never reads it back, so none of it can be taken from
// a sender listening meanwhile. What nobody reads stays there until a sender
// opens the port next, and setting the port up discards it, as a real port's
// set-up does.
#pragma once

#include <chrono>
#include <optional>

#include "busy_schedule.h"
#include "pty_owner.h"
#include "result.h"
#include "virtual_kc.h"

namespace kcsim {

// An ESC command that gets no byte for this long (holds not counted) is
// shown as ended short; the sender pauses far less between its pieces. What
// the KC sends and nobody reads for this long is dropped.
inline constexpr std::chrono::seconds kGiveUpAfter{5};

struct SessionParts {
    const PtyOwner& pty;
    int signalFd;
    VirtualKc& kc;
    BusySchedule& busy;
    std::optional<std::chrono::milliseconds> exitAfterIdle;
};

// Serves the line until an end signal comes or the line has been idle (no
// byte either way) for exitAfterIdle. A running hold is released before it
// returns. Fails only when the pseudo-terminal itself fails.
[[nodiscard]] std::optional<kc::Error> serveLine(SessionParts parts);

// Writes text to standard output; what cannot be written is dropped.
void show(const std::string& text);

}  // namespace kcsim

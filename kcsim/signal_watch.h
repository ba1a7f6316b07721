// Ctrl+C, SIGTERM and a closed terminal (SIGHUP) as an event for the loop.
//
// The three signals are blocked and read from a signalfd, so they end the
// loop where it is safe to end, and the summary, the dump and the removal of
// the link still happen. A signal that was ignored when kcsim started stays
// ignored (nohup, a background job of a script).
#pragma once

#include "file_descriptor.h"
#include "result.h"

namespace kcsim {

// Blocks the signals and returns the descriptor that becomes readable when
// one of them comes. Call before any other thread exists.
[[nodiscard]] Result<posix_io::FileDescriptor> watchEndSignals();

// Reads the signal that came; false when there was none after all.
bool takeEndSignal(int signalFd);

}  // namespace kcsim

// Ctrl+C, SIGTERM and a closed terminal (SIGHUP), and SIGUSR1, the KC's
// RESET key, as events for the loop.
//
// The signals are blocked and read from a signalfd, so they act where the
// loop is safe to act: an end signal ends it there, and the summary, the dump
// and the removal of the link still happen. A signal that was ignored when
// kcsim started stays ignored (nohup, a background job of a script).
#pragma once

#include <signal.h>

#include <optional>

#include "file_descriptor.h"
#include "result.h"

namespace kcsim {

inline constexpr int kResetSignal = SIGUSR1;

// Blocks the signals and returns the descriptor that becomes readable when
// one of them comes. Call before any other thread exists.
[[nodiscard]] Result<posix_io::FileDescriptor> watchSignals();

// Reads the signal that came; nothing when there was none after all.
std::optional<int> takeSignal(int signalFd);

}  // namespace kcsim

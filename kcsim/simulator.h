// kcsim from start to end: the pseudo-terminal, its link, the loop that
// serves the line, the summary and the memory dump.
#pragma once

#include <optional>

#include "error.h"
#include "options.h"

namespace kcsim {

// Runs the virtual KC until Ctrl+C, SIGTERM, SIGHUP or the idle time-out.
// A failure before the line is ready means nothing was served; after it, the
// summary has been shown and the failure concerns the dump or the line.
[[nodiscard]] std::optional<kc::Error> runSimulator(const Options& options);

}  // namespace kcsim

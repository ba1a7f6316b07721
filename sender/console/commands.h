// Running one kcsend command over the sender's engine, and what came of it.
#pragma once

#include <string>

#include "arguments.h"
#include "serial_link.h"

namespace morvale::console {

struct Outcome {
    int status = 0;       // 0 all sent, 1 not (all) sent, 2 usage, 130 Ctrl+C
    std::string message;  // one line for standard error, empty when there is nothing to say
};

// Runs the command over link; the progress line, when wanted, goes to
// standard error.
Outcome runCommand(const Options& options, SerialLink& link, bool showProgress);

}  // namespace morvale::console

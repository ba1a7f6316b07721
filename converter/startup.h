// What kccstrip does as a process before it looks at any file: standard
// streams that are safe to use, and --help and --version. The two options
// count only as the sole parameter; neither ends in ".kcc", so no file the
// converter accepts is taken for one.
#pragma once

#include <optional>

namespace kccstrip {

// Opens /dev/null on any of descriptors 0, 1 and 2 that is closed, so that no
// file opened later takes one of their numbers and receives the message; a
// closed standard input then reads as empty. Ignores SIGPIPE, so that a
// reader that went away ends the report's write, not the process, and the
// exit status still tells of the failure.
void prepareStandardStreams();

// When the only parameter is --help, -h or --version, prints the usage or the
// version on standard output and gives the exit status: 0, or 1 when the
// text could not be written. Nothing (and prints nothing) otherwise.
[[nodiscard]] std::optional<int> answerInfoOption(int argc, char** argv);

}  // namespace kccstrip

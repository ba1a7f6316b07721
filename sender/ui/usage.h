// morvale's own command-line options, answered before Qt starts so that they
// need neither a display nor a window. Every other argument is left to Qt,
// whose own options (-platform, -style, ...) keep working.
#pragma once

#include <optional>

namespace morvale {

// When an argument is --help, -h or --version, prints the usage or the
// version on standard output and gives the exit status: 0, or 1 when the
// text could not be written. Nothing (and prints nothing) otherwise.
std::optional<int> answerInfoOption(int argc, char** argv);

}  // namespace morvale

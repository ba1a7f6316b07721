// kccstrip's --help and --version. They count only as the sole parameter;
// none of them ends in ".kcc", so no file the converter accepts is taken
// for one.
#pragma once

#include <optional>

namespace kccstrip {

// When the only parameter is --help, -h or --version, prints the usage or the
// version on standard output and gives the exit status: 0, or 1 when the
// text could not be written. Nothing (and prints nothing) otherwise.
std::optional<int> answerInfoOption(int argc, char** argv);

}  // namespace kccstrip

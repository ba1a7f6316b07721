// kcsim's command line.
//
// Options take their value as the next argument or after "=". Numbers are
// decimal; nothing else is accepted in them.
#pragma once

#include <chrono>
#include <optional>
#include <string>
#include <vector>

#include "busy_schedule.h"
#include "result.h"

namespace kcsim {

struct Options {
    std::string link;      // symbolic link to the device; none when empty
    std::string saveDir;   // finished uploads saved here as KCC files; none when empty
    std::string dumpFile;  // the whole memory written here at the end; none when empty
    std::optional<std::chrono::milliseconds> busyAfterCarriageReturn;
    std::vector<HoldAt> holds;
    std::optional<std::chrono::milliseconds> exitAfterIdle;
    bool help = false;
    bool version = false;
};

// Reads the arguments after the program's name. A failure says what was
// wrong with them.
[[nodiscard]] Result<Options> parseOptions(const std::vector<std::string>& arguments);

// The text of --help.
std::string usage();

}  // namespace kcsim

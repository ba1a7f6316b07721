// What the kcsim tests share: a scratch folder, and reading kcsim's output.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "scratch_dir.h"

namespace kcsim::testing {

using morvale::testing::readFile;
using morvale::testing::ScratchDir;

// The screen's lines: everything but kcsim's own lines, its warnings and its
// notes on where the KC is.
std::vector<std::string> screenLines(const std::string& output);

// The number before `what` (a regular expression) in the summary; fails the
// test and gives 0 when there is none.
std::uint64_t summaryCount(const std::string& output, const std::string& what);

}  // namespace kcsim::testing

// The built kccstrip run as a child process (program_run.h).
#pragma once

#include <string>

#include "program_run.h"

using morvale::testing::ProgramRun;
using morvale::testing::RunOptions;
using morvale::testing::RunResult;
using morvale::testing::Stdin;

// The options with the program set to the built kccstrip.
inline RunOptions forKccstrip(RunOptions options) {
    options.program = KCCSTRIP_BINARY;
    return options;
}

class KccstripProcess : public ProgramRun {
  public:
    explicit KccstripProcess(const RunOptions& options) : ProgramRun(forKccstrip(options)) {}
};

inline RunResult runKccstrip(const RunOptions& options) {
    return morvale::testing::runProgram(forKccstrip(options));
}

// Whether a process as uid/gid 65534 can run kccstrip in `dir`; tests of
// permissions are skipped otherwise.
inline bool unprivilegedCanRunIn(const std::string& dir) {
    return runKccstrip({.args = {"--version"}, .cwd = dir, .unprivileged = true}).exitCode == 0;
}

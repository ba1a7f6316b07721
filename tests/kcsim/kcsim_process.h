// The built kcsim run as a child process (program_run.h), its screen read as
// it comes. The process is killed when the test is done with it, so a kcsim
// that never ends fails the test instead of hanging it.
#pragma once

#include <chrono>
#include <string>
#include <vector>

#include "program_run.h"

namespace kcsim::testing {

class KcsimProcess {
  public:
    // Starts kcsim with the arguments and waits for the line naming its
    // device; fails the test (and devicePath() is empty) when it does not
    // come within 10 s.
    explicit KcsimProcess(const std::vector<std::string>& arguments);

    const std::string& devicePath() const { return devicePath_; }
    // True once standard output holds `text` `times` times; false when the
    // time-out runs out first.
    bool waitForOutput(const std::string& text, int times = 1,
                       std::chrono::seconds timeout = std::chrono::seconds(10));
    // Presses the KC's RESET key (SIGUSR1).
    void pressReset();
    // Ends kcsim as Ctrl+C does and returns everything it wrote to standard
    // output; its standard error goes to error().
    std::string interrupt();
    const std::string& error() const { return ended_.err; }
    int exitCode() const { return ended_.exitCode; }

  private:
    morvale::testing::ProgramRun run_;
    morvale::testing::RunResult ended_;
    bool interrupted_ = false;
    std::string devicePath_;
};

}  // namespace kcsim::testing

// The built kcsim run as a child process, its screen read as it comes.
//
// Standard output and error go to pipes. The process is killed when the test
// is done with it, so a kcsim that never ends fails the test instead of
// hanging it.
#pragma once

#include <sys/types.h>

#include <chrono>
#include <string>
#include <vector>

namespace kcsim::testing {

class KcsimProcess {
  public:
    // Starts kcsim with the arguments and waits for the line naming its
    // device; fails the test (and devicePath() is empty) when it does not
    // come within 10 s.
    explicit KcsimProcess(const std::vector<std::string>& arguments);
    ~KcsimProcess();
    KcsimProcess(const KcsimProcess&) = delete;
    KcsimProcess& operator=(const KcsimProcess&) = delete;

    const std::string& devicePath() const { return devicePath_; }
    // True once standard output holds `text` `times` times; false when the
    // time-out runs out first.
    bool waitForOutput(const std::string& text, int times = 1,
                       std::chrono::seconds timeout = std::chrono::seconds(10));
    // Ends kcsim as Ctrl+C does and returns everything it wrote to standard
    // output; its standard error goes to error().
    std::string interrupt();
    const std::string& error() const { return error_; }
    int exitCode() const { return exitCode_; }

  private:
    bool readSome(std::chrono::milliseconds wait);

    pid_t pid_ = -1;
    int out_ = -1;
    int err_ = -1;
    std::string output_;
    std::string error_;
    std::string devicePath_;
    int exitCode_ = -1;
    bool outputEnded_ = false;
};

}  // namespace kcsim::testing

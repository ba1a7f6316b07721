// Runs the built kcsend as a child process: arguments, standard input given
// as text, standard output and error captured. The child inherits the
// environment, so a test points MORVALE_COM2 at its pseudo-terminal peer
// before starting it. A child that has not ended within the time-out is
// killed, so a hang fails the test instead of stopping the run.
#pragma once

#include <sys/types.h>

#include <chrono>
#include <string>
#include <vector>

namespace morvale::testing {

struct KcsendResult {
    int status = -1;  // exit status; -1 when killed or timed out
    std::string out;
    std::string err;
};

class KcsendProcess {
  public:
    explicit KcsendProcess(const std::vector<std::string>& args, const std::string& input = {});
    ~KcsendProcess();
    KcsendProcess(const KcsendProcess&) = delete;
    KcsendProcess& operator=(const KcsendProcess&) = delete;

    // Sends SIGINT, as Ctrl+C at a terminal does.
    void interrupt();
    // Waits for the end, collecting the output.
    KcsendResult finish(std::chrono::seconds timeout = std::chrono::seconds(30));

  private:
    pid_t pid_ = -1;
    int out_ = -1;
    int err_ = -1;
};

inline KcsendResult runKcsend(const std::vector<std::string>& args, const std::string& input = {}) {
    return KcsendProcess(args, input).finish();
}

}  // namespace morvale::testing

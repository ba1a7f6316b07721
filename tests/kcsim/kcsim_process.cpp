#include "kcsim_process.h"

#include <csignal>
#include <regex>

#include <gtest/gtest.h>

namespace kcsim::testing {

namespace {

std::size_t occurrences(const std::string& text, const std::string& part) {
    std::size_t count = 0;
    for (auto at = text.find(part); at != std::string::npos; at = text.find(part, at + 1)) {
        ++count;
    }
    return count;
}

}  // namespace

KcsimProcess::KcsimProcess(const std::vector<std::string>& arguments)
    : run_({.program = KCSIM_BINARY, .args = arguments}) {
    waitForOutput("\n");
    std::smatch match;
    if (std::regex_search(run_.output(), match, std::regex("kcsim: virtual KC on (\\S+)"))) {
        devicePath_ = match[1];
    } else {
        ADD_FAILURE() << "kcsim named no device: " << run_.output();
    }
}

bool KcsimProcess::waitForOutput(const std::string& text, int times, std::chrono::seconds timeout) {
    return run_.waitForOutput(
        [&](const std::string& out) {
            return occurrences(out, text) >= static_cast<std::size_t>(times);
        },
        timeout);
}

void KcsimProcess::pressReset() {
    run_.sendSignal(SIGUSR1);
}

std::string KcsimProcess::interrupt() {
    if (!interrupted_) {
        interrupted_ = true;
        run_.sendSignal(SIGINT);
        ended_ = run_.finish();
        if (ended_.timedOut) {
            ADD_FAILURE() << "kcsim did not end on SIGINT";
        }
    }
    return ended_.out;
}

}  // namespace kcsim::testing

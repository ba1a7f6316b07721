#include "kcsim_test_support.h"

#include <regex>
#include <sstream>

#include <gtest/gtest.h>

namespace kcsim::testing {

std::vector<std::string> screenLines(const std::string& output) {
    std::vector<std::string> lines;
    std::istringstream stream(output);
    for (std::string line; std::getline(stream, line);) {
        if (!line.starts_with("kcsim: ") && !line.starts_with("  ! ") &&
            !line.starts_with("  = ")) {
            lines.push_back(line);
        }
    }
    return lines;
}

std::uint64_t summaryCount(const std::string& output, const std::string& what) {
    // The summary's lines are the only ones after the first that begin so.
    const std::size_t start = output.find("\nkcsim: ");
    const std::string summary = start == std::string::npos ? "" : output.substr(start);
    std::smatch match;
    if (!std::regex_search(summary, match, std::regex("(\\d+) " + what))) {
        ADD_FAILURE() << "no count of " << what << " in " << summary;
        return 0;
    }
    return std::stoull(match[1]);
}

}  // namespace kcsim::testing

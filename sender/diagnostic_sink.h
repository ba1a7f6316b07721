// Where the sender's parts report what only someone at a terminal needs to
// know (a port that does not open, a line held too long): one line at a time,
// without its line end. The program sends these lines to standard error.
#pragma once

#include <functional>
#include <string_view>

namespace morvale {

using DiagnosticSink = std::function<void(std::string_view line)>;

// Hands the line to the sink; an empty sink drops it.
inline void report(const DiagnosticSink& sink, std::string_view line) {
    if (sink) {
        sink(line);
    }
}

}  // namespace morvale

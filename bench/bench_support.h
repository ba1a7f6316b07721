// What the benchmarks share: the listing they type and the CPU clock they read.
#pragma once

#include <time.h>

#include <cstddef>
#include <random>
#include <string>
#include <string_view>

namespace morvale::bench {

// Numbered BASIC lines of 10 to 70 characters, each ended by lineEnd, up to
// at least `characters` characters; the same listing on every run.
inline std::string makeListing(std::size_t characters, std::string_view lineEnd = "\r\n") {
    std::mt19937 random(1985);
    std::uniform_int_distribution<int> length(10, 70);
    std::uniform_int_distribution<int> letter('A', 'Z');
    std::string listing;
    for (int number = 10; listing.size() < characters; number += 10) {
        std::string line = std::to_string(number) + " PRINT \"";
        const int wanted = length(random);
        while (static_cast<int>(line.size()) < wanted - 1) {
            line += static_cast<char>(letter(random));
        }
        listing += line + "\"";
        listing += lineEnd;
    }
    return listing;
}

// CPU seconds the process (or, with CLOCK_THREAD_CPUTIME_ID, the calling
// thread) has used.
inline double cpuSeconds(clockid_t clock = CLOCK_PROCESS_CPUTIME_ID) {
    timespec t{};
    clock_gettime(clock, &t);
    return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_nsec) * 1e-9;
}

}  // namespace morvale::bench

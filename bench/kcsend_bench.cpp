// kcsend pacing: types a 2,000-character BASIC listing with the built
// kcsend, run as a process, into a pseudo-terminal peer, and compares the
// time it takes with the sum of the pauses the transfer prescribes (a
// pseudo-terminal has no line time), and its CPU time with the wall time.
//
// The same pauses slept bare in this process, one wake-up each as kcsend
// waits them, follow as a yardstick: they show how much of the figures is
// the machine's (a wake-up's cost, a busy machine's lateness).
//
//   kcsend_bench KCSEND [RUNS]
#include <sys/prctl.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "bench_support.h"
#include "pty_peer.h"
#include "listing.h"

namespace {

double seconds(const timeval& t) {
    return t.tv_sec + t.tv_usec / 1e6;
}

// The machine's own share: the same number of pauses with the same ticks in
// all, each slept as one deadline in this process with nothing else to do.
// Returns measured/nominal and the CPU share.
std::pair<double, double> barePauses(std::int64_t pauses, std::int64_t ticks) {
    prctl(PR_SET_TIMERSLACK, 1UL, 0UL, 0UL, 0UL);
    rusage before{};
    getrusage(RUSAGE_SELF, &before);
    const auto start = std::chrono::steady_clock::now();
    for (std::int64_t p = 0; p < pauses; ++p) {
        const std::int64_t count = ticks / pauses + (p < ticks % pauses ? 1 : 0);
        std::this_thread::sleep_until(std::chrono::steady_clock::now() +
                                      count * std::chrono::milliseconds(1));
    }
    const double wall =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    rusage after{};
    getrusage(RUSAGE_SELF, &after);
    const double cpu = seconds(after.ru_utime) + seconds(after.ru_stime) -
                       seconds(before.ru_utime) - seconds(before.ru_stime);
    return {wall * 1000.0 / static_cast<double>(ticks), cpu / wall};
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fputs("usage: kcsend_bench KCSEND [RUNS]\n", stderr);
        return 2;
    }
    const std::string kcsend = argv[1];
    const int runs = argc > 2 ? std::max(1, std::atoi(argv[2])) : 3;

    morvale::testing::PtyPeer peer;
    setenv("MORVALE_COM2", peer.devicePath().c_str(), 1);
    const std::string listing = morvale::bench::makeListing(2000);
    char path[] = "/tmp/kcsend-bench-XXXXXX";
    const int fd = mkstemp(path);
    if (fd < 0) {
        std::perror("mkstemp");
        return 1;
    }
    close(fd);
    std::ofstream(path, std::ios::binary) << listing;

    const morvale::TransferPlan plan = morvale::planText(listing);
    const double nominal = std::chrono::duration<double, std::milli>(plan.pauses).count();
    std::printf("listing: %zu characters, %lld bytes on the line, pauses %.0f ms\n", listing.size(),
                static_cast<long long>(plan.bytes), nominal);

    std::vector<double> ratios;
    std::vector<double> cpuShares;
    for (int run = 0; run < runs; ++run) {
        peer.clear();
        const auto start = std::chrono::steady_clock::now();
        const pid_t child = fork();
        if (child == 0) {
            execl(kcsend.c_str(), kcsend.c_str(), "--quiet", "text", path, nullptr);
            _exit(127);
        }
        int status = 0;
        rusage usage{};
        wait4(child, &status, 0, &usage);
        const double wall =
            std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start)
                .count();
        const double cpu = (seconds(usage.ru_utime) + seconds(usage.ru_stime)) * 1000.0;
        const bool complete = peer.waitForBytes(plan.bytes, std::chrono::seconds(1));
        const bool ok = WIFEXITED(status) && WEXITSTATUS(status) == 0;
        ratios.push_back(wall / nominal);
        cpuShares.push_back(cpu / wall);
        std::printf("run %d: %.1f ms, measured/pauses %.4f, CPU %.1f ms (%.2f %%)%s%s\n", run + 1,
                    wall, wall / nominal, cpu, 100.0 * cpu / wall,
                    complete ? "" : ", BYTES MISSING", ok ? "" : ", FAILED");
    }
    unlink(path);
    std::sort(ratios.begin(), ratios.end());
    std::sort(cpuShares.begin(), cpuShares.end());
    std::printf(
        "median measured/pauses %.4f (target <= 1.02), median CPU %.2f %% (target <= 1.5 %%)\n",
        ratios[ratios.size() / 2], 100.0 * cpuShares[cpuShares.size() / 2]);
    const auto [ratio, cpuShare] = barePauses(plan.bytes - 1, plan.pauses.count());
    std::printf(
        "the machine's own: the same pauses slept bare, measured/pauses %.4f, CPU %.2f %%\n", ratio,
        100.0 * cpuShare);
    return 0;
}

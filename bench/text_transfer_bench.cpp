// Text transfer pacing: types a 2,000-character BASIC listing through the
// real window, the real termios link and a pseudo-terminal peer, and compares
// the time it takes with the sum of the pauses the transfer prescribes. A
// pseudo-terminal has no line time, so the two should match. The CPU time is
// the window's thread's: the peer reads in a thread of its own, which a real
// line does not cost.
//
//   text_transfer_bench [RUNS]
#include <QApplication>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "bench_support.h"
#include "pty_peer.h"
#include "qt_window.h"
#include "sender.h"
#include "termios_serial_link.h"
#include "text_transfer.h"

int main(int argc, char** argv) {
    if (std::getenv("QT_QPA_PLATFORM") == nullptr) {
        setenv("QT_QPA_PLATFORM", "offscreen", 1);
    }
    const int runs = argc > 1 ? std::max(1, std::atoi(argv[1])) : 3;
    QApplication application(argc, argv);

    morvale::testing::PtyPeer peer;
    setenv("MORVALE_COM2", peer.devicePath().c_str(), 1);
    morvale::TermiosSerialLink link;
    morvale::QtWindow window;
    morvale::Sender sender(window, link);

    const std::string listing = morvale::bench::makeListing(2000);
    const morvale::TransferPlan plan = morvale::planText(listing);
    const auto bytesOnLine = static_cast<std::size_t>(plan.bytes);
    const double nominal = std::chrono::duration<double, std::milli>(plan.pauses).count();
    std::printf("listing: %zu characters, %zu bytes on the line, nominal %.0f ms\n", listing.size(),
                bytesOnLine, nominal);

    std::vector<double> ratios;
    std::vector<double> cpuShares;
    for (int run = 0; run < runs; ++run) {
        peer.clear();
        window.setText(morvale::kEditor, listing);
        const auto start = std::chrono::steady_clock::now();
        const double cpuStart = morvale::bench::cpuSeconds(CLOCK_THREAD_CPUTIME_ID);
        sender.dispatch(morvale::Event::control(morvale::kSendButton));
        const double wall =
            std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start)
                .count();
        const double cpu =
            (morvale::bench::cpuSeconds(CLOCK_THREAD_CPUTIME_ID) - cpuStart) * 1000.0;
        const bool complete = peer.waitForBytes(bytesOnLine, std::chrono::seconds(1));
        ratios.push_back(wall / nominal);
        cpuShares.push_back(cpu / wall);
        std::printf("run %d: %.1f ms, measured/nominal %.4f, CPU %.1f ms (%.2f %%)%s\n", run + 1,
                    wall, wall / nominal, cpu, 100.0 * cpu / wall,
                    complete ? "" : ", BYTES MISSING");
    }
    std::sort(ratios.begin(), ratios.end());
    std::sort(cpuShares.begin(), cpuShares.end());
    std::printf(
        "median measured/nominal %.4f (target <= 1.03), median CPU %.2f %% (target <= 1.5 %%)\n",
        ratios[ratios.size() / 2], 100.0 * cpuShares[cpuShares.size() / 2]);
    return 0;
}

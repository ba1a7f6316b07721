// Text transfer pacing: types a 2,000-character BASIC listing through the
// real window, the real termios link and a pseudo-terminal peer, and compares
// the time it takes with the sum of the pauses the transfer prescribes. A
// pseudo-terminal has no line time, so the two should match.
//
//   text_transfer_bench [RUNS]
#include <QApplication>

#include <time.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <random>
#include <string>
#include <vector>

#include "pty_peer.h"
#include "qt_window.h"
#include "sender.h"
#include "termios_serial_link.h"

namespace {

// Lines of 10 to 70 characters, numbered like a BASIC listing.
std::string makeListing(std::size_t characters) {
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
        line += "\"";
        listing += line + "\r\n";
    }
    return listing;
}

// The pauses in milliseconds: 50 after the first carriage return, then 6
// after each character, 50 after a carriage return and at every fortieth
// character of a line, the line end counting as the next line's first.
int nominalMilliseconds(const std::string& listing) {
    int total = 50;
    int count = 0;
    for (const char c : listing) {
        if (c == '\n') {
            continue;
        }
        int pause = 6;
        if (c == '\r') {
            pause = 50;
            count = 0;
        }
        if (++count == 40) {
            count = 0;
            pause = 50;
        }
        total += pause;
    }
    return total;
}

double cpuSeconds() {
    timespec t{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
    return t.tv_sec + t.tv_nsec / 1e9;
}

}  // namespace

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

    const std::string listing = makeListing(2000);
    // The opening carriage return, then every character but the line feeds.
    const std::size_t bytesOnLine =
        1 + listing.size() - std::count(listing.begin(), listing.end(), '\n');
    const double nominal = nominalMilliseconds(listing);
    std::printf("listing: %zu characters, %zu bytes on the line, nominal %.0f ms\n", listing.size(),
                bytesOnLine, nominal);

    std::vector<double> ratios;
    std::vector<double> cpuShares;
    for (int run = 0; run < runs; ++run) {
        peer.clear();
        window.setText(morvale::kEditor, listing);
        const auto start = std::chrono::steady_clock::now();
        const double cpuStart = cpuSeconds();
        sender.dispatch(morvale::Event::control(morvale::kSendButton));
        const double wall =
            std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start)
                .count();
        const double cpu = (cpuSeconds() - cpuStart) * 1000.0;
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
        "median measured/nominal %.4f (target <= 1.03), median CPU %.2f %% (target < 5 %%)\n",
        ratios[ratios.size() / 2], 100.0 * cpuShares[cpuShares.size() / 2]);
    return 0;
}

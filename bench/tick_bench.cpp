// Event pump tick accuracy: idle ticks and pauses through the real Qt window
// and morvale::Pause, measured against their nominal length, with the CPU
// time they use.
//
//   tick_bench [ROUNDS]
#include <QApplication>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <vector>

#include "bench_support.h"
#include "pacer.h"
#include "qt_window.h"

namespace {

using Clock = std::chrono::steady_clock;

double seconds(Clock::duration d) {
    return std::chrono::duration<double>(d).count();
}

struct Figures {
    double median = 0;
    double p99 = 0;
    double worst = 0;
    double cpuShare = 0;
};

// Runs measure() count times; each returns its measured/nominal ratio.
Figures run(int count, const std::function<double()>& measure) {
    std::vector<double> ratios;
    ratios.reserve(static_cast<std::size_t>(count));
    const double cpu0 = morvale::bench::cpuSeconds();
    const auto wall0 = Clock::now();
    for (int i = 0; i < count; ++i) {
        ratios.push_back(measure());
    }
    const double wall = seconds(Clock::now() - wall0);
    const double cpu = morvale::bench::cpuSeconds() - cpu0;
    std::sort(ratios.begin(), ratios.end());
    Figures f;
    f.median = ratios[ratios.size() / 2];
    f.p99 = ratios[std::min(ratios.size() - 1, ratios.size() * 99 / 100)];
    f.worst = ratios.back();
    f.cpuShare = cpu / wall;
    return f;
}

// A pause of ticks ticks of 1 ms, from the pause's start to its end.
double pauseRatio(morvale::Window& window, int ticks) {
    const auto start = Clock::now();
    morvale::pauseTicks(window, ticks);
    return seconds(Clock::now() - start) / (ticks * 1e-3);
}

void print(const char* what, const Figures& f) {
    std::printf("%-28s median %.4f  p99 %.4f  max %.4f  CPU %.2f %% of wall\n", what, f.median,
                f.p99, f.worst, 100.0 * f.cpuShare);
}

}  // namespace

int main(int argc, char** argv) {
    if (std::getenv("QT_QPA_PLATFORM") == nullptr) {
        setenv("QT_QPA_PLATFORM", "offscreen", 1);
    }
    const int rounds = argc > 1 ? std::max(1, std::atoi(argv[1])) : 1;
    QApplication app(argc, argv);
    morvale::QtWindow window;
    morvale::pauseTicks(window, 100);  // let the window settle

    std::printf("platform %s, %d round(s); ratio = measured / nominal\n",
                qPrintable(QGuiApplication::platformName()), rounds);
    for (int r = 0; r < rounds; ++r) {
        print("1000 single ticks of 1 ms", run(1000, [&] { return pauseRatio(window, 1); }));
        print("200 pauses of 6 ticks", run(200, [&] { return pauseRatio(window, 6); }));
        print("40 pauses of 50 ticks", run(40, [&] { return pauseRatio(window, 50); }));
        print("one pause of 1000 ticks", run(1, [&] { return pauseRatio(window, 1000); }));
    }
    return 0;
}

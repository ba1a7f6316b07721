// The UART rig's own floor, to judge the sender's figures by: run in the
// guest as the only process, it measures how late the guest's sleeps wake,
// then types 100 bytes the fastest way a program can tell the transmitter is
// empty (polling the line status without sleeping) and 100 with tcdrain,
// each followed by the listing's 6 ms pause. The peer's stamps of those
// bytes give the best gap this emulated 16550 allows.
//
//   rig_floor [PORT]    (built with -static by bench/uart-rig-bench)
#include <fcntl.h>
#include <linux/serial.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <time.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <vector>

namespace {

double nowMs() {
    timespec t{};
    clock_gettime(CLOCK_MONOTONIC, &t);
    return t.tv_sec * 1e3 + t.tv_nsec / 1e6;
}

void sleepUntil(double ms) {
    const auto whole = static_cast<time_t>(ms / 1e3);
    const timespec until{whole, static_cast<long>((ms - whole * 1e3) * 1e6)};
    while (clock_nanosleep(CLOCK_MONOTONIC, TIMER_ABSTIME, &until, nullptr) != 0) {
    }
}

void report(const char* what, std::vector<double> values) {
    std::sort(values.begin(), values.end());
    double sum = 0;
    for (const double v : values) {
        sum += v;
    }
    const std::size_t n = values.size();
    std::printf("FLOOR: %s: mean %.3f ms, median %.3f, p95 %.3f, max %.3f\n", what, sum / n,
                values[n / 2], values[n * 95 / 100], values[n - 1]);
}

void sleepLateness(double step, const char* what) {
    std::vector<double> late;
    double until = nowMs();
    for (int i = 0; i < 400; ++i) {
        until += step;
        sleepUntil(until);
        late.push_back(nowMs() - until);
    }
    report(what, late);
}

template <typename WaitEmpty>
void typeBytes(int fd, const char* what, WaitEmpty waitEmpty) {
    std::vector<double> took;
    const unsigned char letter = 'A';
    for (int i = 0; i < 100; ++i) {
        const double start = nowMs();
        if (::write(fd, &letter, 1) != 1) {
            std::perror("rig_floor: write");
            return;
        }
        waitEmpty();
        took.push_back(nowMs() - start);
        sleepUntil(nowMs() + 6);
    }
    report(what, took);
}

}  // namespace

int main(int argc, char** argv) {
    sleepLateness(6, "lateness of a 6 ms sleep");
    sleepLateness(0.25, "lateness of a 0.25 ms sleep");
    if (argc < 2) {
        return 0;
    }
    const int fd = ::open(argv[1], O_RDWR | O_NOCTTY);
    termios line{};
    if (fd < 0 || tcgetattr(fd, &line) != 0) {
        std::perror("rig_floor: port");
        return 1;
    }
    cfmakeraw(&line);
    cfsetspeed(&line, B1200);
    tcsetattr(fd, TCSANOW, &line);
    typeBytes(fd, "one byte until the line status says empty", [fd] {
        unsigned int status = 0;
        while (ioctl(fd, TIOCSERGETLSR, &status) == 0 && (status & TIOCSER_TEMT) == 0) {
        }
    });
    typeBytes(fd, "one byte until tcdrain returns", [fd] { tcdrain(fd); });
    return 0;
}

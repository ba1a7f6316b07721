// A static probe for the UART rig: the sender's text transfer or memory
// upload over the real termios link, with a window that only waits, until
// the console program can take its place.
//
//   uart_probe PORT MODE COUNT [MODE COUNT]...
//     MODE listing: a BASIC listing of COUNT characters; upload: COUNT bytes to 200h
//
// Prints the wall and CPU time each took; the rig's peer stamps the bytes.
#include <time.h>

#include <cstdio>
#include <cstdlib>
#include <random>
#include <string>

#include "memory_upload.h"
#include "termios_serial_link.h"
#include "text_transfer.h"
#include "window.h"

namespace {

using namespace morvale;

class WaitingWindow final : public Window {
  public:
    std::string text(int) const override { return {}; }
    void setText(int, std::string_view) override {}
    void setEnabled(int, bool) override {}
    void setEditorBackground(Rgb) override {}
    void checkPortItem(int) override {}
    void grow() override {}
    int focusedControl() const override { return -1; }
    void showMessage(std::string_view, std::string_view text, MessageIcon) override {
        std::printf("PROBE: message %.*s\n", static_cast<int>(text.size()), text.data());
    }
    std::optional<std::string> askText(std::string_view, std::string_view,
                                       std::string_view preset) override {
        return std::string(preset);
    }
    std::string chooseFile(std::string_view, std::string_view) override { return {}; }
    void beep() override {}
    Event waitEvent() override { return Event::close(); }
    Event waitEventUntil(Clock::time_point deadline) override {
        const auto ns =
            std::chrono::duration_cast<std::chrono::nanoseconds>(deadline.time_since_epoch())
                .count();
        const timespec until{static_cast<time_t>(ns / 1'000'000'000),
                             static_cast<long>(ns % 1'000'000'000)};
        while (clock_nanosleep(CLOCK_MONOTONIC, TIMER_ABSTIME, &until, nullptr) != 0) {
        }
        return Event::none();
    }
};

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
        listing += line + "\"\r\n";
    }
    listing.resize(characters);
    return listing;
}

double seconds(clockid_t clock) {
    timespec t{};
    clock_gettime(clock, &t);
    return t.tv_sec + t.tv_nsec / 1e9;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 4 || argc % 2 != 0) {
        std::fprintf(stderr,
                     "usage: uart_probe PORT listing|upload COUNT [listing|upload COUNT]...\n");
        return 2;
    }
    WaitingWindow window;
    TermiosSerialLink link;
    AppState state;
    state.portName = argv[1];
    for (int arg = 2; arg + 1 < argc; arg += 2) {
        const std::string mode = argv[arg];
        const auto count = static_cast<std::size_t>(std::atol(argv[arg + 1]));
        const double wall = seconds(CLOCK_MONOTONIC);
        const double cpu = seconds(CLOCK_PROCESS_CPUTIME_ID);
        if (mode == "listing") {
            sendText(state, window, link, makeListing(count));
        } else if (mode == "upload") {
            state.dataBuffer.resize(count);
            for (std::size_t i = 0; i < count; ++i) {
                state.dataBuffer[i] = static_cast<std::uint8_t>(i * 7 + 3);
            }
            state.dataLength = static_cast<std::int32_t>(count);
            uploadImage(state, window, link);
        } else {
            std::fprintf(stderr, "uart_probe: unknown mode %s\n", mode.c_str());
            return 2;
        }
        std::printf("PROBE: %s %zu took %.1f ms, cpu %.1f ms\n", mode.c_str(), count,
                    (seconds(CLOCK_MONOTONIC) - wall) * 1e3,
                    (seconds(CLOCK_PROCESS_CPUTIME_ID) - cpu) * 1e3);
        std::fflush(stdout);
    }
    return 0;
}

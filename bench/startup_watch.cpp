// Start-up time of a windowed program: from just before the process is
// started to the moment the X server maps its first top-level window with
// the expected title (MapNotify on the root window), over several runs.
//
//   startup_watch RUNS TITLE PROGRAM [ARGS...]     (DISPLAY must name a server)
#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <optional>
#include <string>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

std::string windowTitle(Display* display, Window window) {
    const Atom netWmName = XInternAtom(display, "_NET_WM_NAME", False);
    const Atom utf8 = XInternAtom(display, "UTF8_STRING", False);
    for (const auto& [property, type] : {std::pair{netWmName, utf8}, {XA_WM_NAME, XA_STRING}}) {
        Atom actualType = None;
        int format = 0;
        unsigned long items = 0;
        unsigned long after = 0;
        unsigned char* data = nullptr;
        if (XGetWindowProperty(display, window, property, 0, 1024, False, type, &actualType,
                               &format, &items, &after, &data) == Success &&
            data != nullptr) {
            std::string title(reinterpret_cast<char*>(data), items);
            XFree(data);
            if (!title.empty()) {
                return title;
            }
        }
    }
    return {};
}

// Milliseconds from the start of the program to its window's map, or nothing
// when it did not show one within the time-out.
std::optional<double> measureOnce(Display* display, const std::string& title, char** program) {
    const Window root = DefaultRootWindow(display);
    XSelectInput(display, root, SubstructureNotifyMask);
    XSync(display, True);  // drop anything left from an earlier run

    const auto start = Clock::now();
    const pid_t child = fork();
    if (child == 0) {
        execvp(program[0], program);
        _exit(127);
    }
    if (child < 0) {
        return std::nullopt;
    }
    std::optional<double> result;
    const auto giveUp = start + std::chrono::seconds(10);
    pollfd fd{ConnectionNumber(display), POLLIN, 0};
    while (!result && Clock::now() < giveUp) {
        while (!result && XPending(display) > 0) {
            XEvent event;
            XNextEvent(display, &event);
            if (event.type == MapNotify && windowTitle(display, event.xmap.window) == title) {
                const auto shown = Clock::now();
                result = std::chrono::duration<double, std::milli>(shown - start).count();
            }
        }
        if (!result) {
            poll(&fd, 1, 50);
        }
    }
    kill(child, SIGTERM);
    waitpid(child, nullptr, 0);
    XSelectInput(display, root, NoEventMask);
    return result;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 4) {
        std::fprintf(stderr, "usage: %s RUNS TITLE PROGRAM [ARGS...]\n", argv[0]);
        return 2;
    }
    const int runs = std::max(1, std::atoi(argv[1]));
    const std::string title = argv[2];
    Display* display = XOpenDisplay(nullptr);
    if (display == nullptr) {
        std::fprintf(stderr, "startup_watch: cannot open display\n");
        return 1;
    }
    std::vector<double> times;
    for (int i = 0; i < runs; ++i) {
        const auto ms = measureOnce(display, title, argv + 3);
        if (!ms) {
            std::fprintf(stderr, "startup_watch: run %d showed no window titled '%s'\n", i + 1,
                         title.c_str());
            return 1;
        }
        times.push_back(*ms);
    }
    XCloseDisplay(display);
    std::sort(times.begin(), times.end());
    std::printf("%d runs: median %.1f ms, min %.1f ms, max %.1f ms (start to window mapped)\n",
                runs, times[times.size() / 2], times.front(), times.back());
    return 0;
}

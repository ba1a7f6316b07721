#include "console_beep.h"

#include <fcntl.h>
#include <linux/kd.h>
#include <sys/ioctl.h>
#include <unistd.h>

#include <QApplication>

namespace morvale::ui {

namespace {

// The PC's programmable interval timer runs at this rate.
constexpr long kTimerHz = 1193180;

bool toneOn(int fd, int hertz, int milliseconds) {
    const unsigned long arg = (static_cast<unsigned long>(milliseconds) << 16) |
                              static_cast<unsigned long>(kTimerHz / hertz);
    return ioctl(fd, KDMKTONE, arg) == 0;
}

}  // namespace

bool consoleTone(int hertz, int milliseconds) {
    if (hertz <= 0 || milliseconds <= 0) {
        return false;
    }
    // A program started on a virtual console owns it; otherwise the current
    // console, if this user may open it.
    if (isatty(STDIN_FILENO) && toneOn(STDIN_FILENO, hertz, milliseconds)) {
        return true;
    }
    for (const char* path : {"/dev/tty0", "/dev/console"}) {
        const int fd = ::open(path, O_WRONLY | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
        if (fd < 0) {
            continue;
        }
        const bool ok = toneOn(fd, hertz, milliseconds);
        ::close(fd);
        if (ok) {
            return true;
        }
    }
    return false;
}

void beep() {
    if (!consoleTone(400, 100)) {
        QApplication::beep();
    }
}

}  // namespace morvale::ui

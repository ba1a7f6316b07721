#include "failure_report.h"

#include <string>

#include <poll.h>
#include <termios.h>
#include <unistd.h>

#include "byte_peek.h"
#include "file_descriptor.h"

namespace kccstrip {

using posix_io::retryOnEintr;
using posix_io::writeAll;

namespace {

constexpr std::size_t kMaxLine = 4096;

void waitAtTerminal(int fd) {
    struct termios saved {};
    if (::tcgetattr(fd, &saved) != 0) {
        return;
    }
    struct termios lineMode = saved;
    lineMode.c_lflag |= ICANON | ECHO | ECHOE | ECHOK | ISIG;
    lineMode.c_iflag |= ICRNL;
    lineMode.c_iflag &= ~(IGNCR | INLCR);
    const bool changed = lineMode.c_lflag != saved.c_lflag || lineMode.c_iflag != saved.c_iflag;
    if (changed) {
        ::tcsetattr(fd, TCSANOW, &lineMode);
    }

    // One read returns one line; Ctrl+D on an empty line gives 0.
    char buffer[kMaxLine];
    for (;;) {
        const ssize_t got = retryOnEintr([&] { return ::read(fd, buffer, sizeof buffer); });
        if (got <= 0 || std::string_view(buffer, static_cast<std::size_t>(got)).find('\n') !=
                            std::string_view::npos) {
            break;
        }
    }
    if (changed) {
        ::tcsetattr(fd, TCSANOW, &saved);
    }
}

// Byte by byte, so that what follows the line end stays for the next reader.
void readUpToLineEnd(int fd) {
    for (std::size_t count = 0; count < kMaxLine; ++count) {
        char byte = 0;
        const ssize_t got = retryOnEintr([&] { return ::read(fd, &byte, 1); });
        if (got < 0 && errno == EAGAIN) {
            struct pollfd ready {
                fd, POLLIN, 0
            };
            if (retryOnEintr([&] { return ::poll(&ready, 1, -1); }) < 0) {
                return;
            }
            --count;
            continue;
        }
        if (got <= 0 || byte == '\n') {
            return;
        }
        if (byte == '\r') {
            if (peekByteNow(fd) == '\n') {
                retryOnEintr([&] { return ::read(fd, &byte, 1); });
            }
            return;
        }
    }
}

}  // namespace

void reportFailure(const Failure& failure) {
    std::string line = "kccstrip: ";
    if (!failure.file.empty()) {
        line += failure.file + ": ";
    }
    line += failure.reason + "\n";
    writeAll(STDERR_FILENO, line.data(), line.size());
    writeAll(STDOUT_FILENO, kFailureMessage.data(), kFailureMessage.size());
    waitForLine(STDIN_FILENO);
}

void waitForLine(int fd) {
    if (::isatty(fd)) {
        waitAtTerminal(fd);
    } else {
        readUpToLineEnd(fd);
    }
}

}  // namespace kccstrip

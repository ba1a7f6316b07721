#include "failure.h"

#include <cerrno>
#include <optional>
#include <string>

#include <fcntl.h>
#include <poll.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <termios.h>
#include <unistd.h>

#include "file_descriptor.h"

namespace kccstrip {

using posix_io::FileDescriptor;
using posix_io::retryOnEintr;
using posix_io::writeAll;

namespace {

constexpr std::size_t kMaxLine = 4096;

// The next byte of an input, looked at without taking it: after a CR the
// wait takes the LF of a pair only when it is there already. The way depends on the kind of file: a
// regular file is read at its current offset without moving it; a pipe or FIFO is duplicated into a
// private pipe with tee(2), which leaves the original's bytes in place; a socket is read with
// MSG_PEEK. Terminals and other devices cannot give a byte back, so they are never looked into.
std::optional<char> peekRegularFile(int fd) {
    const off_t offset = ::lseek(fd, 0, SEEK_CUR);
    char byte = 0;
    if (offset < 0 || retryOnEintr([&] { return ::pread(fd, &byte, 1, offset); }) != 1) {
        return std::nullopt;
    }
    return byte;
}

std::optional<char> peekPipe(int fd) {
    int copy[2];
    if (::pipe2(copy, O_CLOEXEC | O_NONBLOCK) != 0) {
        return std::nullopt;
    }
    const FileDescriptor copyRead(copy[0]);
    const FileDescriptor copyWrite(copy[1]);
    char byte = 0;
    if (retryOnEintr([&] { return ::tee(fd, copyWrite.get(), 1, SPLICE_F_NONBLOCK); }) != 1 ||
        ::read(copyRead.get(), &byte, 1) != 1) {
        return std::nullopt;
    }
    return byte;
}

std::optional<char> peekSocket(int fd) {
    char byte = 0;
    if (retryOnEintr([&] { return ::recv(fd, &byte, 1, MSG_PEEK | MSG_DONTWAIT); }) != 1) {
        return std::nullopt;
    }
    return byte;
}

// The byte that the next read of `fd` would return, if one is there now:
// nothing when the input has none at the moment (an empty pipe whose writer
// is still open), is at its end, cannot be looked into, or fails. Never
// blocks and never consumes anything.
std::optional<char> peekByteNow(int fd) {
    struct stat status {};
    if (::fstat(fd, &status) != 0) {
        return std::nullopt;
    }
    if (S_ISREG(status.st_mode)) {
        return peekRegularFile(fd);
    }
    if (S_ISFIFO(status.st_mode)) {
        return peekPipe(fd);
    }
    if (S_ISSOCK(status.st_mode)) {
        return peekSocket(fd);
    }
    return std::nullopt;
}

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

void reportFailure(const kc::Error& error) {
    const std::string line = "kccstrip: " + error.describe() + "\n";
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

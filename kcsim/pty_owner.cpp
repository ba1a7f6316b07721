#include "pty_owner.h"

#include <fcntl.h>
#include <stdlib.h>
#include <termios.h>

#include <array>
#include <optional>

namespace kcsim {

using posix_io::FileDescriptor;
using posix_io::retryOnEintr;

namespace {

std::optional<kc::Error> setKcLine(int fd) {
    termios line{};
    if (::tcgetattr(fd, &line) != 0) {
        return kc::systemError("cannot read the line settings", errno);
    }
    ::cfmakeraw(&line);
    line.c_cflag &= ~(PARENB | CSTOPB | CSIZE | CRTSCTS);
    line.c_cflag |= CS8 | CREAD | CLOCAL;
    line.c_iflag &= ~(IXON | IXOFF | IXANY);
    line.c_cc[VMIN] = 1;
    line.c_cc[VTIME] = 0;
    if (::cfsetispeed(&line, B1200) != 0 || ::cfsetospeed(&line, B1200) != 0 ||
        retryOnEintr([&] { return ::tcsetattr(fd, TCSANOW, &line); }) != 0) {
        return kc::systemError("cannot set the line to 1200 baud 8N1", errno);
    }
    return std::nullopt;
}

}  // namespace

Result<PtyOwner> PtyOwner::open() {
    FileDescriptor master(::posix_openpt(O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC));
    if (!master.valid()) {
        return kc::systemError("cannot open a pseudo-terminal", errno);
    }
    std::array<char, 128> name{};
    if (::grantpt(master.get()) != 0 || ::unlockpt(master.get()) != 0 ||
        ::ptsname_r(master.get(), name.data(), name.size()) != 0) {
        return kc::systemError("cannot prepare the pseudo-terminal", errno);
    }
    std::string path(name.data());
    FileDescriptor slave(retryOnEintr(
        [&] { return ::open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC); }));
    if (!slave.valid()) {
        return kc::systemError("cannot open " + path, errno);
    }
    if (auto failure = setKcLine(slave.get())) {
        return *failure;
    }
    return PtyOwner(std::move(master), std::move(slave), std::move(path));
}

}  // namespace kcsim

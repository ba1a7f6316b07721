// Helpers shared by the serial link's tests.
#pragma once

#include <fcntl.h>
#include <poll.h>
#include <termios.h>
#include <unistd.h>

#include <cstdlib>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "termios_serial_link.h"

namespace morvale::testing {

// Sets an environment variable for one test and restores the old value.
class ScopedEnvironment {
  public:
    ScopedEnvironment(std::string name, const std::string& value) : name_(std::move(name)) {
        if (const char* old = std::getenv(name_.c_str())) {
            old_ = old;
        }
        ::setenv(name_.c_str(), value.c_str(), 1);
    }
    ~ScopedEnvironment() {
        if (old_) {
            ::setenv(name_.c_str(), old_->c_str(), 1);
        } else {
            ::unsetenv(name_.c_str());
        }
    }

  private:
    std::string name_;
    std::optional<std::string> old_;
};

// A link whose diagnostics are kept for the test to look at.
struct RecordedLink {
    std::vector<std::string> diagnostics;
    TermiosSerialLink link{[this](std::string_view line) { diagnostics.emplace_back(line); }};
};

// A descriptor of the test's own on a terminal device, opened before the link
// opens it: the link's TIOCEXCL keeps later openers out unless they are root.
class DeviceProbe {
  public:
    explicit DeviceProbe(const std::string& path)
        : fd_(::open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC)) {}
    ~DeviceProbe() { ::close(fd_); }
    DeviceProbe(const DeviceProbe&) = delete;
    DeviceProbe& operator=(const DeviceProbe&) = delete;

    termios settings() const {
        termios settings{};
        ::tcgetattr(fd_, &settings);
        return settings;
    }
    void change(tcflag_t setC, tcflag_t clearC, tcflag_t setI = 0, tcflag_t clearI = 0) {
        termios changed = settings();
        changed.c_cflag = (changed.c_cflag & ~clearC) | setC;
        changed.c_iflag = (changed.c_iflag & ~clearI) | setI;
        ::tcsetattr(fd_, TCSANOW, &changed);
    }

    // True once input waits to be read on the device, false after two seconds.
    bool waitForInput() const {
        pollfd input{fd_, POLLIN, 0};
        return ::poll(&input, 1, 2000) == 1 && (input.revents & POLLIN) != 0;
    }

  private:
    int fd_;
};

}  // namespace morvale::testing

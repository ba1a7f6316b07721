#include "standard_streams.h"

#include <cerrno>
#include <csignal>

#include <fcntl.h>
#include <unistd.h>

namespace kccstrip {

void prepareStandardStreams() {
    for (int fd = 0; fd <= 2; ++fd) {
        if (::fcntl(fd, F_GETFD) == -1 && errno == EBADF) {
            // open takes the lowest free number, which is fd.
            if (::open("/dev/null", O_RDWR) < 0) {
                break;
            }
        }
    }
    std::signal(SIGPIPE, SIG_IGN);
}

}  // namespace kccstrip

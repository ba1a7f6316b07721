#include "file_reading.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

namespace morvale {

std::int64_t fileSize(const std::string& path) {
    struct stat info {};
    if (path.empty() || ::stat(path.c_str(), &info) != 0) {
        return kNoSuchFile;
    }
    if (S_ISDIR(info.st_mode)) {
        return kIsDirectory;
    }
    return info.st_size;
}

std::optional<std::vector<std::uint8_t>> readFileStart(const std::string& path,
                                                       std::size_t maxBytes) {
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOCTTY);
    if (fd < 0) {
        return std::nullopt;
    }
    std::vector<std::uint8_t> bytes(maxBytes);
    std::size_t filled = 0;
    bool failed = false;
    while (filled < maxBytes) {
        const ssize_t n = ::read(fd, bytes.data() + filled, maxBytes - filled);
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n < 0) {
            failed = true;
            break;
        }
        if (n == 0) {
            break;
        }
        filled += static_cast<std::size_t>(n);
    }
    ::close(fd);
    if (failed) {
        return std::nullopt;
    }
    bytes.resize(filled);
    return bytes;
}

}  // namespace morvale

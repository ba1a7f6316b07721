#include "file_reading.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>

#include "file_descriptor.h"

namespace morvale {

namespace {

constexpr std::size_t kFirstRoom = 64 * 1024;

}  // namespace

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
    const posix_io::FileDescriptor file(posix_io::retryOnEintr(
        [&] { return ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOCTTY); }));
    if (!file.valid()) {
        return std::nullopt;
    }
    // Sized from the file, with one byte more to see it grown meanwhile; a
    // file that tells no size (a pipe, a device) gets room as it comes.
    struct stat info {};
    const std::size_t told = ::fstat(file.get(), &info) == 0 && info.st_size > 0
                                 ? static_cast<std::size_t>(info.st_size)
                                 : 0;
    std::vector<std::uint8_t> bytes(std::min(maxBytes, told > 0 ? told + 1 : kFirstRoom));
    std::size_t filled = 0;
    while (filled < maxBytes) {
        if (filled == bytes.size()) {
            bytes.resize(std::min(maxBytes, bytes.size() * 2));
        }
        const ssize_t n = posix_io::retryOnEintr(
            [&] { return ::read(file.get(), bytes.data() + filled, bytes.size() - filled); });
        if (n < 0) {
            return std::nullopt;
        }
        if (n == 0) {
            break;
        }
        filled += static_cast<std::size_t>(n);
    }
    bytes.resize(filled);
    return bytes;
}

}  // namespace morvale

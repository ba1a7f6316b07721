#include "file_copy.h"

#include <cerrno>
#include <cstddef>
#include <vector>

#include <unistd.h>

#include "file_descriptor.h"

namespace kccstrip {

using posix_io::retryOnEintr;
using posix_io::writeAll;

namespace {

constexpr std::size_t kKernelChunk = std::size_t{64} << 20;
constexpr std::size_t kBufferSize = std::size_t{128} << 10;

bool kernelCopyUnsupported(int error) {
    return error == EXDEV || error == EINVAL || error == ENOSYS || error == EOPNOTSUPP;
}

CopyResult copyByReadAndWrite(int in, off_t offset, int out) {
    std::vector<char> buffer(kBufferSize);
    for (;;) {
        const ssize_t got =
            retryOnEintr([&] { return ::pread(in, buffer.data(), buffer.size(), offset); });
        if (got < 0) {
            return {errno, true};
        }
        if (got == 0) {
            return {};
        }
        if (const int error = writeAll(out, buffer.data(), static_cast<std::size_t>(got))) {
            return {error, false};
        }
        offset += got;
    }
}

}  // namespace

CopyResult copyToEnd(int in, off_t offset, int out) {
    for (;;) {
        off_t next = offset;
        const ssize_t copied = retryOnEintr(
            [&] { return ::copy_file_range(in, &next, out, nullptr, kKernelChunk, 0); });
        if (copied > 0) {
            offset = next;
            continue;
        }
        if (copied < 0 && !kernelCopyUnsupported(errno)) {
            // The kernel does not say which side failed; it is reported
            // against the output, the likelier one (a full disk, a size limit).
            return {errno, false};
        }
        // Zero is the end of the input, or a file system that copies nothing
        // this way; a read tells the two apart.
        return copyByReadAndWrite(in, offset, out);
    }
}

}  // namespace kccstrip

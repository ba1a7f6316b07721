#include "conversion.h"

#include <cerrno>
#include <cstddef>
#include <vector>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "file_descriptor.h"
#include "kcc_header.h"
#include "output_path.h"
#include "temp_file.h"

namespace kccstrip {

using posix_io::FileDescriptor;
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

// Permissions for the new output: those of the output it replaces, or what a
// newly created file gets under the umask.
mode_t outputMode(const struct stat* existing) {
    if (existing != nullptr) {
        return existing->st_mode & 0777;
    }
    const mode_t mask = ::umask(0);
    ::umask(mask);
    return 0666 & ~mask;
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

std::optional<kc::Error> convertKcc(const std::string& inputPath) {
    if (inputPath.empty()) {
        return kc::Error{kc::ErrorKind::Usage, 0, {}, "no KCC file given"};
    }
    if (!hasKccExtension(inputPath)) {
        return kc::Error{kc::ErrorKind::WrongKind, 0, inputPath, "not a .kcc file"};
    }

    // O_NONBLOCK keeps a FIFO of that name from blocking the open; it has no
    // effect on reading a regular file.
    FileDescriptor input(retryOnEintr(
        [&] { return ::open(inputPath.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC); }));
    if (!input.valid()) {
        return kc::systemError(inputPath, errno);
    }
    struct stat inputStat {};
    if (::fstat(input.get(), &inputStat) != 0) {
        return kc::systemError(inputPath, errno);
    }
    if (S_ISDIR(inputStat.st_mode)) {
        return kc::Error{kc::ErrorKind::IsDirectory, EISDIR, inputPath, {}};
    }
    if (!S_ISREG(inputStat.st_mode)) {
        return kc::Error{kc::ErrorKind::NotRegularFile, 0, inputPath, "not a regular file"};
    }
    if (inputStat.st_size == 0) {
        return kc::Error{kc::ErrorKind::EmptyFile, 0, inputPath, "empty file"};
    }
    if (inputStat.st_size < static_cast<off_t>(kc::kHeaderSize)) {
        return kc::Error{kc::ErrorKind::TooShort, 0, inputPath,
                         "shorter than the 128-byte KCC header"};
    }

    // Everything below works relative to the output's directory, so a path
    // that the input's open accepted is never too long for the output.
    const std::string outputPath = outputPathFor(inputPath);
    const std::string directory(directoryPart(outputPath));
    const std::string name(namePart(outputPath));
    FileDescriptor outputDir(retryOnEintr([&] {
        return ::open(directory.empty() ? "." : directory.c_str(),
                      O_PATH | O_DIRECTORY | O_CLOEXEC);
    }));
    if (!outputDir.valid()) {
        return kc::systemError(outputPath, errno);
    }

    // The rename would replace a write-protected output; refuse instead, as
    // writing into it would be refused.
    struct stat outputStat {};
    const bool outputExists =
        ::fstatat(outputDir.get(), name.c_str(), &outputStat, AT_SYMLINK_NOFOLLOW) == 0;
    const bool outputIsFile = outputExists && S_ISREG(outputStat.st_mode);
    if (outputIsFile && ::faccessat(outputDir.get(), name.c_str(), W_OK, AT_EACCESS) != 0) {
        return kc::systemError(outputPath, errno);
    }

    TempFile temp;
    if (const int error =
            temp.create(outputDir.get(), outputMode(outputIsFile ? &outputStat : nullptr))) {
        return kc::systemError(outputPath, error);
    }
    if (const CopyResult copy = copyToEnd(input.get(), kc::kHeaderSize, temp.fd()); copy.error) {
        return kc::systemError(copy.reading ? inputPath : outputPath, copy.error);
    }
    if (const int error = temp.commit(name)) {
        return kc::systemError(outputPath, error);
    }
    return std::nullopt;
}

}  // namespace kccstrip

#include "file_writing.h"

#include <fcntl.h>
#include <sys/random.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <string>

#include "basic_listing.h"
#include "file_descriptor.h"
#include "kcc_header.h"
#include "latin1_case.h"
#include "sss.h"
#include "utf8.h"

namespace morvale {

namespace {

std::string folderOf(const std::string& path) {
    const auto slash = path.rfind('/');
    return slash == std::string::npos ? "." : slash == 0 ? "/" : path.substr(0, slash);
}

// ".kcsend-" and eight random letters, in the folder of path.
std::string hiddenName(const std::string& path) {
    static constexpr char kLetters[] = "abcdefghijklmnopqrstuvwxyz0123456789";
    unsigned char random[8] = {};
    if (::getrandom(random, sizeof random, GRND_NONBLOCK) != sizeof random) {
        // O_EXCL still keeps two writers apart; the name only needs to be new.
        const auto salt = static_cast<unsigned>(::getpid()) * 2654435761u;
        for (std::size_t i = 0; i < sizeof random; ++i) {
            random[i] = static_cast<unsigned char>(salt >> (i * 4));
        }
    }
    std::string name = folderOf(path) + "/.kcsend-";
    for (const unsigned char r : random) {
        name += kLetters[r % (sizeof kLetters - 1)];
    }
    return name;
}

// Writes the bytes and flushes them to the disk: 0, or the errno.
int writeFlushed(int fd, std::span<const std::uint8_t> bytes) {
    if (const int error = posix_io::writeAll(fd, bytes.data(), bytes.size()); error != 0) {
        return error;
    }
    return posix_io::retryOnEintr([&] { return ::fsync(fd); }) == 0 ? 0 : errno;
}

}  // namespace

std::optional<kc::Error> writeWholeFile(const std::string& path,
                                        std::span<const std::uint8_t> bytes) {
    const auto failed = [&](int error) { return kc::systemError(path, error); };
    const std::string hidden = hiddenName(path);
    posix_io::FileDescriptor file(posix_io::retryOnEintr(
        [&] { return ::open(folderOf(path).c_str(), O_TMPFILE | O_WRONLY | O_CLOEXEC, 0666); }));
    bool named = false;
    if (!file.valid()) {
        file = posix_io::FileDescriptor(posix_io::retryOnEintr(
            [&] { return ::open(hidden.c_str(), O_CREAT | O_EXCL | O_WRONLY | O_CLOEXEC, 0666); }));
        if (!file.valid()) {
            return failed(errno);
        }
        named = true;
    }
    int error = writeFlushed(file.get(), bytes);
    if (error == 0 && !named) {
        const std::string self = "/proc/self/fd/" + std::to_string(file.get());
        if (::linkat(AT_FDCWD, self.c_str(), AT_FDCWD, hidden.c_str(), AT_SYMLINK_FOLLOW) == 0) {
            named = true;
        } else {
            error = errno;
        }
    }
    if (error == 0) {
        error = file.close();
    }
    if (error == 0 && ::rename(hidden.c_str(), path.c_str()) != 0) {
        error = errno;
    }
    if (error != 0) {
        if (named) {
            ::unlink(hidden.c_str());
        }
        return failed(error);
    }
    return std::nullopt;
}

bool hasExtension(std::string_view path, std::string_view extension) {
    return path.size() >= extension.size() &&
           kc::lowerLatin1(path.substr(path.size() - extension.size())) == extension;
}

std::string_view fileStem(std::string_view path) {
    const auto slash = path.rfind('/');
    const std::string_view name = slash == std::string_view::npos ? path : path.substr(slash + 1);
    return name.substr(0, name.find('.'));
}

std::variant<std::vector<std::uint8_t>, kc::Error> listingFile(
    const std::string& path, const std::vector<std::string>& lines) {
    std::string text;
    const bool sss = hasExtension(path, ".sss");
    for (const std::string& line : lines) {
        text += sss ? line + "\r\n" : kc::latin1ToUtf8(line) + "\n";
    }
    if (!sss) {
        return std::vector<std::uint8_t>(text.begin(), text.end());
    }
    auto program = kc::programFromListing(text, path);
    if (auto* error = std::get_if<kc::Error>(&program)) {
        return std::move(*error);
    }
    return kc::writeSss(std::get<kc::BasicProgram>(program));
}

std::vector<std::uint8_t> memoryFile(const std::string& path, std::uint16_t from,
                                     std::span<const std::uint8_t> memory) {
    std::vector<std::uint8_t> bytes;
    if (hasExtension(path, ".kcc")) {
        const auto end = static_cast<std::uint16_t>(from + memory.size());
        const auto header = kc::makeKccHeader(fileStem(path), {from, end});
        bytes.assign(header.begin(), header.end());
    }
    bytes.insert(bytes.end(), memory.begin(), memory.end());
    return bytes;
}

}  // namespace morvale

#include "byte_peek.h"

#include <fcntl.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <unistd.h>

#include "file_descriptor.h"

namespace kccstrip {

using posix_io::FileDescriptor;
using posix_io::retryOnEintr;

namespace {

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

}  // namespace

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

}  // namespace kccstrip

#include "temp_file.h"

#include <cerrno>
#include <cstdio>
#include <ctime>

#include <fcntl.h>
#include <sys/random.h>
#include <sys/stat.h>
#include <unistd.h>

#include "signal_cleanup.h"

namespace kccstrip {

using posix_io::FileDescriptor;
using posix_io::retryOnEintr;

namespace {

constexpr int kNameAttempts = 100;

// ".kccstrip-" and six random letters or digits.
std::string newHiddenName() {
    static constexpr char kAlphabet[] =
        "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789";
    unsigned char random[6];
    if (::getrandom(random, sizeof random, GRND_NONBLOCK) != sizeof random) {
        // Uniqueness, not secrecy, is what counts: O_EXCL and EEXIST retry.
        timespec now{};
        ::clock_gettime(CLOCK_MONOTONIC, &now);
        unsigned long mix = static_cast<unsigned long>(now.tv_nsec) ^
                            (static_cast<unsigned long>(::getpid()) << 16);
        for (unsigned char& byte : random) {
            byte = static_cast<unsigned char>(mix);
            mix = mix * 6364136223846793005UL + 1442695040888963407UL;
            byte ^= static_cast<unsigned char>(mix >> 33);
        }
    }
    std::string name = ".kccstrip-";
    for (unsigned char byte : random) {
        name += kAlphabet[byte % (sizeof kAlphabet - 1)];
    }
    return name;
}

// Gives the unnamed file open as `fd` the name `name` in `dir`; EEXIST when
// that name is taken.
int linkUnnamed(int fd, int dir, const std::string& name) {
    if (::linkat(fd, "", dir, name.c_str(), AT_EMPTY_PATH) == 0) {
        return 0;
    }
    if (errno != ENOENT) {
        return errno;
    }
    // Where AT_EMPTY_PATH needs a privilege the process lacks, it fails with
    // ENOENT; linking the descriptor's entry in /proc does not.
    char path[32];
    std::snprintf(path, sizeof path, "/proc/self/fd/%d", fd);
    return ::linkat(AT_FDCWD, path, dir, name.c_str(), AT_SYMLINK_FOLLOW) == 0 ? 0 : errno;
}

// Makes a finished rename durable too. Best effort: the output is complete
// either way, and not every file system lets a directory be synced.
void syncDirectory(int dir) {
    FileDescriptor fd(
        retryOnEintr([&] { return ::openat(dir, ".", O_RDONLY | O_DIRECTORY | O_CLOEXEC); }));
    if (fd.valid()) {
        retryOnEintr([&] { return ::fsync(fd.get()); });
    }
}

}  // namespace

TempFile::~TempFile() {
    remove();
}

int TempFile::create(int dir, mode_t mode) {
    const int fd =
        retryOnEintr([&] { return ::openat(dir, ".", O_TMPFILE | O_WRONLY | O_CLOEXEC, mode); });
    if (fd < 0) {
        // Kernels without O_TMPFILE see a directory opened for writing.
        if (errno == EOPNOTSUPP || errno == EISDIR || errno == EINVAL) {
            return createNamed(dir, mode);
        }
        return errno;
    }
    dir_ = dir;
    fd_ = FileDescriptor(fd);
    return ::fchmod(fd, mode) == 0 ? 0 : errno;
}

int TempFile::createNamed(int dir, mode_t mode) {
    SignalBlock block;
    for (int attempt = 0; attempt < kNameAttempts; ++attempt) {
        std::string name = newHiddenName();
        const int fd = retryOnEintr([&] {
            return ::openat(dir, name.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC,
                            0600);
        });
        if (fd < 0 && errno == EEXIST) {
            continue;
        }
        if (fd < 0) {
            return errno;
        }
        registerCleanupFile(dir, name.c_str());
        dir_ = dir;
        fd_ = FileDescriptor(fd);
        hiddenName_ = std::move(name);
        return ::fchmod(fd, mode) == 0 ? 0 : errno;
    }
    return EEXIST;
}

int TempFile::commit(const std::string& name) {
    if (retryOnEintr([&] { return ::fsync(fd_.get()); }) != 0) {
        return errno;
    }
    const int error = hiddenName_.empty() ? commitUnnamed(name) : commitNamed(name);
    if (error == 0) {
        syncDirectory(dir_);
    }
    return error;
}

int TempFile::commitUnnamed(const std::string& name) {
    SignalBlock block;
    int error = linkUnnamed(fd_.get(), dir_, name);
    for (int attempt = 0; error == EEXIST && attempt < kNameAttempts; ++attempt) {
        std::string hidden = newHiddenName();
        error = linkUnnamed(fd_.get(), dir_, hidden);
        if (error == 0) {
            registerCleanupFile(dir_, hidden.c_str());
            hiddenName_ = std::move(hidden);
            return commitNamed(name);
        }
    }
    if (error == 0) {
        // The bytes are on disk already: a close error can say nothing new.
        fd_.close();
    }
    return error;
}

int TempFile::commitNamed(const std::string& name) {
    if (const int error = fd_.close()) {
        return error;
    }
    SignalBlock block;
    if (::renameat(dir_, hiddenName_.c_str(), dir_, name.c_str()) != 0) {
        return errno;
    }
    clearCleanupFile();
    hiddenName_.clear();
    return 0;
}

void TempFile::remove() {
    fd_.close();
    if (hiddenName_.empty()) {
        return;
    }
    SignalBlock block;
    ::unlinkat(dir_, hiddenName_.c_str(), 0);
    clearCleanupFile();
    hiddenName_.clear();
}

}  // namespace kccstrip

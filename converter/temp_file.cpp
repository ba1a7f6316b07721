#include "temp_file.h"

#include <cerrno>
#include <cstdlib>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "output_path.h"
#include "signal_cleanup.h"

namespace kccstrip {

namespace {

// Makes a finished rename durable too. Best effort: the output is complete
// either way, and not every file system lets a directory be synced.
void syncDirectory(const std::string& target) {
    const std::string directory(directoryPart(target));
    const char* name = directory.empty() ? "." : directory.c_str();
    FileDescriptor fd(
        retryOnEintr([&] { return ::open(name, O_RDONLY | O_DIRECTORY | O_CLOEXEC); }));
    if (fd.valid()) {
        retryOnEintr([&] { return ::fsync(fd.get()); });
    }
}

}  // namespace

TempFile::~TempFile() {
    remove();
}

int TempFile::create(const std::string& target, mode_t mode) {
    std::string name = std::string(directoryPart(target)) + ".kccstrip-XXXXXX";
    SignalBlock block;
    const int fd = ::mkostemp(name.data(), O_CLOEXEC);
    if (fd < 0) {
        return errno;
    }
    if (!registerCleanupPath(name.c_str())) {
        ::close(fd);
        ::unlink(name.c_str());
        return ENAMETOOLONG;
    }
    fd_ = FileDescriptor(fd);
    path_ = std::move(name);
    return ::fchmod(fd, mode) == 0 ? 0 : errno;
}

int TempFile::commit(const std::string& target) {
    if (retryOnEintr([&] { return ::fsync(fd_.get()); }) != 0) {
        return errno;
    }
    if (const int error = fd_.close()) {
        return error;
    }
    {
        SignalBlock block;
        if (::rename(path_.c_str(), target.c_str()) != 0) {
            return errno;
        }
        clearCleanupPath();
        path_.clear();
    }
    syncDirectory(target);
    return 0;
}

void TempFile::remove() {
    if (path_.empty()) {
        return;
    }
    fd_.close();
    SignalBlock block;
    ::unlink(path_.c_str());
    clearCleanupPath();
    path_.clear();
}

}  // namespace kccstrip

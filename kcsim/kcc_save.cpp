#include "kcc_save.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <optional>

#include "file_descriptor.h"

namespace kcsim {

using posix_io::FileDescriptor;
using posix_io::retryOnEintr;
using posix_io::writeAll;

Result<std::string> KccSaver::save(std::uint16_t address, std::span<const std::uint8_t> image) {
    const std::uint32_t end = address + static_cast<std::uint32_t>(image.size());
    if (end > 0xFFFF) {
        return kc::Error{kc::ErrorKind::TooLong, 0, {}, "not saved: the image reaches past FFFF"};
    }
    for (;; ++next_) {
        const std::string name = "upload" + std::to_string(next_);
        const std::string path = directory_ + "/" + name + ".kcc";
        FileDescriptor file(retryOnEintr(
            [&] { return ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644); }));
        if (!file.valid() && errno == EEXIST) {
            continue;
        }
        if (!file.valid()) {
            return kc::systemError("cannot save " + path, errno);
        }
        ++next_;
        const auto header =
            kc::makeKccHeader(name, kc::KccHeader{address, static_cast<std::uint16_t>(end)});
        int error = writeAll(file.get(), header.data(), header.size());
        if (error == 0) {
            error = writeAll(file.get(), image.data(), image.size());
        }
        if (error == 0) {
            error = file.close();
        }
        if (error != 0) {
            ::unlink(path.c_str());
            return kc::systemError("cannot save " + path, error);
        }
        return path;
    }
}

std::optional<kc::Error> prepareSaveDirectory(const std::string& directory) {
    if (::mkdir(directory.c_str(), 0777) == 0) {
        return std::nullopt;
    }
    struct stat status {};
    if (errno == EEXIST && ::stat(directory.c_str(), &status) == 0 && S_ISDIR(status.st_mode)) {
        return std::nullopt;
    }
    return kc::systemError("cannot use " + directory + " for the uploads",
                           errno == EEXIST ? ENOTDIR : errno);
}

}  // namespace kcsim

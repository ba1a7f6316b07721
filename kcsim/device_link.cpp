#include "device_link.h"

#include <sys/stat.h>
#include <unistd.h>

#include <array>
#include <cerrno>
#include <utility>

namespace kcsim {

namespace {

// The link's target, or nothing when path is no symbolic link.
std::optional<std::string> linkTarget(const std::string& path) {
    std::array<char, 4096> buffer{};
    const ssize_t length = ::readlink(path.c_str(), buffer.data(), buffer.size());
    if (length < 0 || static_cast<std::size_t>(length) >= buffer.size()) {
        return std::nullopt;
    }
    return std::string(buffer.data(), static_cast<std::size_t>(length));
}

bool isDanglingLink(const std::string& path) {
    struct stat status {};
    return linkTarget(path) && ::stat(path.c_str(), &status) != 0 && errno == ENOENT;
}

}  // namespace

Result<DeviceLink> DeviceLink::create(const std::string& path, const std::string& target) {
    if (path.empty()) {
        return kc::Error{kc::ErrorKind::Usage, 0, {}, "--link needs a path"};
    }
    if (isDanglingLink(path) && ::unlink(path.c_str()) != 0 && errno != ENOENT) {
        return kc::systemError("cannot replace the stale link " + path, errno);
    }
    if (::symlink(target.c_str(), path.c_str()) != 0) {
        if (errno == EEXIST) {
            std::string detail =
                path + " exists already; kcsim replaces only a link that leads nowhere";
            return kc::Error{kc::ErrorKind::Exists, EEXIST, {}, std::move(detail)};
        }
        return kc::systemError("cannot make the link " + path, errno);
    }
    return DeviceLink(path, target);
}

DeviceLink::DeviceLink(DeviceLink&& other) noexcept
    : path_(std::exchange(other.path_, {})), target_(std::move(other.target_)) {}

DeviceLink::~DeviceLink() {
    if (!path_.empty() && linkTarget(path_) == target_) {
        ::unlink(path_.c_str());
    }
}

}  // namespace kcsim

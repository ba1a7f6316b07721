#include "device_access.h"

#include <grp.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <vector>

namespace morvale {

std::string deviceGroup(const std::string& path) {
    struct stat info {};
    if (::stat(path.c_str(), &info) != 0 || info.st_gid == 0) {
        return "dialout";
    }
    std::vector<char> buffer(4096);
    group entry{};
    group* found = nullptr;
    if (::getgrgid_r(info.st_gid, &entry, buffer.data(), buffer.size(), &found) != 0 ||
        found == nullptr) {
        return "dialout";
    }
    return found->gr_name;
}

int deviceAccess(const std::string& path) {
    return ::access(path.c_str(), R_OK | W_OK) == 0 ? 0 : errno;
}

}  // namespace morvale

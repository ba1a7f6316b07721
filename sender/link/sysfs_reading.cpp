#include "sysfs_reading.h"

#include <dirent.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <climits>
#include <cstdlib>
#include <fstream>
#include <memory>

namespace morvale {

std::string linkedName(const std::string& path) {
    std::array<char, PATH_MAX> target{};
    const ssize_t n = ::readlink(path.c_str(), target.data(), target.size() - 1);
    if (n <= 0) {
        return {};
    }
    const std::string_view link(target.data(), static_cast<std::size_t>(n));
    const auto slash = link.find_last_of('/');
    return std::string(slash == std::string_view::npos ? link : link.substr(slash + 1));
}

std::string attributeText(const std::string& path) {
    std::ifstream file(path);
    std::string line;
    std::getline(file, line);
    while (!line.empty() && (line.back() == ' ' || line.back() == '\t' || line.back() == '\r')) {
        line.pop_back();
    }
    return line;
}

std::string resolvedPath(const std::string& path) {
    const std::unique_ptr<char, decltype(&std::free)> real(::realpath(path.c_str(), nullptr),
                                                           &std::free);
    return real ? std::string(real.get()) : std::string();
}

std::vector<std::string> folderEntries(const std::string& path) {
    std::vector<std::string> names;
    DIR* folder = ::opendir(path.c_str());
    if (folder == nullptr) {
        return names;
    }
    while (const dirent* entry = ::readdir(folder)) {
        const std::string_view name = entry->d_name;
        if (name != "." && name != "..") {
            names.emplace_back(name);
        }
    }
    ::closedir(folder);
    std::sort(names.begin(), names.end());
    return names;
}

}  // namespace morvale

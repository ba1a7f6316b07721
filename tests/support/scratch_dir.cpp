#include "scratch_dir.h"

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <stdexcept>

namespace morvale::testing {

namespace fs = std::filesystem;

ScratchDir::ScratchDir() {
    std::string pattern = (fs::temp_directory_path() / "morvale-test-XXXXXX").string();
    if (::mkdtemp(pattern.data()) == nullptr) {
        throw std::runtime_error("mkdtemp failed");
    }
    path_ = pattern;
}

ScratchDir::~ScratchDir() {
    std::error_code ignored;
    for (const auto& entry : fs::recursive_directory_iterator(path_, ignored)) {
        if (entry.is_directory(ignored)) {
            fs::permissions(entry.path(), fs::perms::owner_all, fs::perm_options::add, ignored);
        }
    }
    fs::permissions(path_, fs::perms::owner_all, fs::perm_options::add, ignored);
    fs::remove_all(path_, ignored);
}

void ScratchDir::write(const std::string& name, const std::string& bytes) const {
    std::ofstream(*this / name, std::ios::binary) << bytes;
}

std::string ScratchDir::read(const std::string& name) const {
    return readFile(*this / name);
}

std::string readFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        return "<missing>";
    }
    std::ostringstream bytes;
    bytes << in.rdbuf();
    return bytes.str();
}

bool ScratchDir::exists(const std::string& name) const {
    std::error_code ignored;
    return fs::exists(fs::symlink_status(*this / name, ignored));
}

std::set<std::string> ScratchDir::entries(const std::string& subdir) const {
    std::set<std::string> names;
    std::error_code ignored;
    for (const auto& entry :
         fs::directory_iterator(subdir.empty() ? path_ : *this / subdir, ignored)) {
        names.insert(entry.path().filename().string());
    }
    return names;
}

}  // namespace morvale::testing

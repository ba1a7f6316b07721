// A temporary folder for one test, removed with everything in it, and the
// reading of whole files.
//
// The folder is made with mkdtemp under the system's temporary folder; the
// constructor throws when it cannot be made, which fails the test. Removal
// first gives back the owner's rights a test may have taken from a folder
// inside, so nothing is left behind.
#pragma once

#include <set>
#include <string>

namespace morvale::testing {

class ScratchDir {
  public:
    ScratchDir();
    ~ScratchDir();
    ScratchDir(const ScratchDir&) = delete;
    ScratchDir& operator=(const ScratchDir&) = delete;

    const std::string& path() const { return path_; }
    std::string operator/(const std::string& name) const { return path_ + "/" + name; }

    void write(const std::string& name, const std::string& bytes) const;
    std::string read(const std::string& name) const;  // "<missing>" when it cannot be read
    bool exists(const std::string& name) const;
    std::set<std::string> entries(const std::string& subdir = "") const;

  private:
    std::string path_;
};

// The bytes of the file at `path`; "<missing>" when it cannot be read.
std::string readFile(const std::string& path);

}  // namespace morvale::testing

// A temporary directory for one test, removed with everything in it.
#pragma once

#include <set>
#include <string>

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

// `size` bytes of a KCC file whose bytes all differ from their neighbours.
std::string kccBytes(std::size_t size);

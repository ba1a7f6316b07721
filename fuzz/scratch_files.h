// Real files for the targets that load one: a folder made once per process
// under $TMPDIR (or /tmp) and removed with everything in it at exit.
#pragma once

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <span>
#include <string>

namespace fuzz {

class ScratchFiles {
  public:
    ScratchFiles() {
        const char* tmp = std::getenv("TMPDIR");
        std::string pattern = std::string(tmp && *tmp ? tmp : "/tmp") + "/morvale-fuzz-XXXXXX";
        if (::mkdtemp(pattern.data()) == nullptr) {
            std::perror("mkdtemp");
            std::abort();
        }
        folder_ = pattern;
    }
    ~ScratchFiles() {
        std::error_code ignored;
        std::filesystem::remove_all(folder_, ignored);
    }

    // Writes the bytes as the file `name` in the folder, in place of any
    // file of that name, and returns its path. A failure ends the run: without
    // the file there is nothing to check.
    std::string write(const std::string& name, std::span<const std::uint8_t> bytes) {
        const std::string path = folder_ + "/" + name;
        // A new file rather than a truncated one: ext4 flushes a file that
        // was truncated and written again when it is closed.
        std::error_code ignored;
        std::filesystem::remove(path, ignored);
        std::ofstream file(path, std::ios::binary);
        file.write(reinterpret_cast<const char*>(bytes.data()),
                   static_cast<std::streamsize>(bytes.size()));
        file.close();
        if (!file) {
            std::fprintf(stderr, "cannot write %s\n", path.c_str());
            std::abort();
        }
        return path;
    }

  private:
    std::string folder_;
};

}  // namespace fuzz

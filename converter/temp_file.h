// The temporary file an output is written to before it takes the output's name.
//
// It lies in the output's directory, so the final rename is atomic: readers
// of the output see the old file or the complete new one, never a part. From
// its creation to its rename or removal, the signal clean-up knows its path.
// A TempFile that is not committed removes its file when destroyed.
#pragma once

#include <sys/types.h>
#include <string>

#include "file_descriptor.h"

namespace kccstrip {

class TempFile {
  public:
    TempFile() = default;
    ~TempFile();
    TempFile(const TempFile&) = delete;
    TempFile& operator=(const TempFile&) = delete;

    // Creates an empty file with permissions `mode` beside `target`. Returns
    // 0, or the errno of the failure (nothing is then left behind).
    int create(const std::string& target, mode_t mode);

    int fd() const { return fd_.get(); }
    const std::string& path() const { return path_; }

    // Flushes the file to disk, closes it and renames it to `target`,
    // replacing a file of that name. Returns 0, or the errno of the step that
    // failed; the temporary file is then removed on destruction and `target`
    // is as it was.
    int commit(const std::string& target);

  private:
    void remove();

    FileDescriptor fd_;
    std::string path_;
};

}  // namespace kccstrip

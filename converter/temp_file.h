// The temporary file an output is written to before it takes the output's name.
//
// It lies in the output's directory, so the last step is atomic: readers of
// the output see the old file or the complete new one, never a part. Every
// call works relative to a descriptor of that directory, so the length of
// the directory's path plays no part.
//
// Where the file system allows (O_TMPFILE), the file has no name until it is
// complete, so whatever ends the process before, SIGKILL included, leaves
// nothing behind. commit() then links it under the output's name directly
// when there is no output yet. An existing output can be replaced only by a
// rename, so the file is then linked under a hidden name and renamed over the
// output at once, with the catchable signals held back in between: only a
// SIGKILL that lands between those two calls leaves the hidden name.
//
// Elsewhere the file is created under a hidden name (".kccstrip-" and six
// random characters) that the signal clean-up knows from creation to rename.
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

    // Creates an empty file with permissions `mode` in the directory open as
    // `dir` (which must stay open while this object lives): without a name
    // where the file system allows, otherwise as createNamed does. Returns 0,
    // or the errno of the failure (nothing is then left behind).
    [[nodiscard]] int create(int dir, mode_t mode);

    // As create, but always under a hidden name.
    [[nodiscard]] int createNamed(int dir, mode_t mode);

    int fd() const { return fd_.get(); }

    // The hidden name, or empty while the file has none.
    const std::string& hiddenName() const { return hiddenName_; }

    // Flushes the file to disk and gives it the name `name` in the directory,
    // replacing a file of that name. Returns 0, or the errno of the step that
    // failed; the temporary file is then removed on destruction and `name` is
    // as it was.
    [[nodiscard]] int commit(const std::string& name);

  private:
    int commitUnnamed(const std::string& name);
    int commitNamed(const std::string& name);
    void remove();

    int dir_ = -1;
    posix_io::FileDescriptor fd_;
    std::string hiddenName_;
};

}  // namespace kccstrip

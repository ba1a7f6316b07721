// Copying the tail of one file into another in constant memory.
//
// The kernel copies with copy_file_range, without passing the bytes through
// this process; where it cannot (another file system, an older kernel, a
// file system that copies nothing this way), plain reads and writes through
// one fixed buffer take over from the same place.
#pragma once

#include <sys/types.h>

namespace kccstrip {

struct [[nodiscard]] CopyResult {
    int error = 0;         // 0, or the errno of the call that failed
    bool reading = false;  // whether that call read the input
};

// Appends every byte of `in` from `offset` to its end to `out`, at out's file
// position. On failure (EFBIG, ENOSPC, EIO, ...) `out` holds an unknown part.
CopyResult copyToEnd(int in, off_t offset, int out);

}  // namespace kccstrip

// The conversion of one KCC file into its raw memory image.
//
// The input is opened by the path as given and never written. Everything from
// byte 128 to its end is streamed into a temporary file in the output's
// directory (temp_file.h), which is flushed and then takes the output's name:
// an existing output is either replaced whole or, on any failure, left
// exactly as it was. The output's directory is opened once and everything
// there is done relative to it, so any input path the system can open has an
// output path that works too. The header is not interpreted; its address
// fields play no part.
//
// The image is copied by the kernel with copy_file_range, without passing the
// bytes through this process; where it cannot (another file system, an older
// kernel, a file system that copies nothing this way), plain reads and writes
// through one fixed buffer take over from the same place, so the memory used
// is the same for an input of any size.
#pragma once

#include <sys/types.h>

#include <optional>
#include <string>

#include "error.h"

namespace kccstrip {

// Converts `inputPath` (see outputPathFor for the output's name). Nothing on
// success; otherwise what failed, with no output written or changed: an
// empty path, a name not ending in ".kcc", an input that cannot be opened, is
// no regular file or is shorter than the 128-byte header, an existing output
// without write permission, or a failed write, flush, link or rename.
[[nodiscard]] std::optional<kc::Error> convertKcc(const std::string& inputPath);

struct [[nodiscard]] CopyResult {
    int error = 0;         // 0, or the errno of the call that failed
    bool reading = false;  // whether that call read the input
};

// Appends every byte of `in` from `offset` to its end to `out`, at out's file
// position. On failure (EFBIG, ENOSPC, EIO, ...) `out` holds an unknown part.
CopyResult copyToEnd(int in, off_t offset, int out);

}  // namespace kccstrip

// Writing a file the KC sent back (a listing, a program, memory): whole or
// not at all.
//
// The bytes go into a file without a name in the target's folder (O_TMPFILE;
// where the file system has none, a hidden ".kcsend-" file), are flushed to
// the disk, then take the target's name in one rename, replacing a file of
// that name: whoever reads the target sees the old file or the whole new
// one, and a failure on the way leaves the target as it was.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>

#include "error.h"

namespace morvale {

// Writes bytes as the file at path. Nothing, or the error (System with
// errno, naming path) of the step that failed; the target is then unchanged
// and nothing is left behind but, after a kill at the one moment between
// link and rename, a hidden file beside it.
[[nodiscard]] std::optional<kc::Error> writeWholeFile(const std::string& path,
                                                      std::span<const std::uint8_t> bytes);

}  // namespace morvale

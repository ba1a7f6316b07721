// Writing a file the KC sent back (a listing, a program, memory): what the
// file's name makes of it, and the writing itself, whole or not at all.
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
#include <string_view>
#include <variant>
#include <vector>

#include "error.h"

namespace morvale {

// Writes bytes as the file at path. Nothing, or the error (System with
// errno, naming path) of the step that failed; the target is then unchanged
// and nothing is left behind but, after a kill at the one moment between
// link and rename, a hidden file beside it.
[[nodiscard]] std::optional<kc::Error> writeWholeFile(const std::string& path,
                                                      std::span<const std::uint8_t> bytes);

// True when path ends in extension (".kcc"), in any case.
bool hasExtension(std::string_view path, std::string_view extension);

// The file's name without its folder and without its extension (from its
// first dot on).
std::string_view fileStem(std::string_view path);

// The file a listing LIST#3 sent becomes: under a name ending in ".sss" the
// program as BASIC stores it (the listing tokenised again), under any other
// the listing in UTF-8, each line ending in a line feed. The error, from
// the tokeniser, names path and the line, for a listing an SSS cannot hold.
[[nodiscard]] std::variant<std::vector<std::uint8_t>, kc::Error> listingFile(
    const std::string& path, const std::vector<std::string>& lines);

// The file memory from `from` on becomes: under a name ending in ".kcc" a
// KCC header named for the file (load address `from`, end address after
// the memory), then the bytes; under any other the bare bytes.
std::vector<std::uint8_t> memoryFile(const std::string& path, std::uint16_t from,
                                     std::span<const std::uint8_t> memory);

}  // namespace morvale

// Reading the files the user loads: a size query and a whole-file read, on
// POSIX files. Files are opened, read and closed within one call.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace morvale {

inline constexpr std::int64_t kNoSuchFile = -1;
inline constexpr std::int64_t kIsDirectory = -2;

// The size in bytes of the file the path names; kNoSuchFile when nothing of
// that name exists or the path is empty, kIsDirectory for a directory.
[[nodiscard]] std::int64_t fileSize(const std::string& path);

// Reads up to maxBytes from the start of the file. Nothing when the file
// cannot be opened or a read fails; fewer bytes when the file is shorter.
[[nodiscard]] std::optional<std::vector<std::uint8_t>> readFileStart(const std::string& path,
                                                                     std::size_t maxBytes);

}  // namespace morvale

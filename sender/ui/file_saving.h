// Writing what came from the KC into the file the user chose: whole or not
// at all (file_writing.h), a failure told in German.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <string_view>

#include "window.h"

namespace morvale {

// Writes bytes as the file at path. False when it could not be written, the
// file then being as it was, after a message box naming why.
[[nodiscard]] bool saveFile(Window& window, const std::string& path,
                            std::span<const std::uint8_t> bytes);

// The file's name without its folder.
std::string_view baseName(std::string_view path);

// The file's name without its folder and without its extension: from the
// first dot on.
std::string_view stem(std::string_view path);

// True when path ends in extension (".kcc"), regardless of case.
bool hasExtension(std::string_view path, std::string_view extension);

}  // namespace morvale

// Writing what came from the KC into the file the user chose: whole or not
// at all (file_writing.h), a failure told in German.
#pragma once

#include <cstdint>
#include <span>
#include <string>

#include "window.h"

namespace morvale {

// Writes bytes as the file at path. False when it could not be written, the
// file then being as it was, after a message box naming why.
[[nodiscard]] bool saveFile(Window& window, const std::string& path,
                            std::span<const std::uint8_t> bytes);

}  // namespace morvale

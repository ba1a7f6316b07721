// Turning a text file's bytes into the editor's text.
#pragma once

#include <cstdint>
#include <span>
#include <string>

namespace morvale {

// Splits the bytes into lines and joins them with CR LF after each line.
// A line ends at CR, LF, CR LF, a zero byte, or the end of the bytes; LF CR
// is two line ends with an empty line between. A final line end adds no
// empty line. Bytes are kept as they are, a byte-order mark included.
std::string editorTextFromFile(std::span<const std::uint8_t> bytes);

}  // namespace morvale

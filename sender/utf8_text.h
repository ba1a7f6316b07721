// Recognising UTF-8 text and turning it into the sender's Latin-1.
//
// Bytes are taken as UTF-8 only when they are valid UTF-8 (shortest forms,
// no surrogates, nothing beyond U+10FFFF) and hold at least one multi-byte
// sequence; plain ASCII and any Latin-1 text with a byte above 0x7F that does
// not form a valid sequence stay bytes.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>

namespace morvale {

// The Latin-1 text the bytes stand for when they are UTF-8 as above: each
// character up to U+00FF as its byte, every other as '?', and a byte-order
// mark at the start dropped. Nothing when the bytes are not such UTF-8.
std::optional<std::string> latin1FromUtf8(std::span<const std::uint8_t> bytes);

}  // namespace morvale

// UTF-8 where it meets the KC's Latin-1: the one decoder the programs share,
// the rule by which a text file in UTF-8 is taken as Latin-1, and Latin-1
// written as UTF-8 for a terminal.
//
// A sequence decodes when it is complete, in its shortest form and at most
// U+10FFFF. A surrogate (U+D800 to U+DFFF) decodes like any other code
// point: well-formed text has none, but a command-line argument that holds
// one is still UTF-8 to kcsend, only with a character Latin-1 lacks.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>

namespace kc {

struct Utf8Sequence {
    char32_t character = 0;
    std::size_t length = 0;  // 1 to 4 bytes
};

// The sequence at the start of `bytes`. Nothing when none starts there: the
// bytes are empty, start with a continuation byte or a byte no sequence
// starts with, or hold a sequence cut short or longer than needed.
[[nodiscard]] std::optional<Utf8Sequence> decodeUtf8(std::span<const std::uint8_t> bytes);

constexpr bool isSurrogate(char32_t character) {
    return character >= 0xD800 && character <= 0xDFFF;
}

// True when `text` is well-formed UTF-8: every sequence decodes and none is a
// surrogate. The empty text is.
bool isValidUtf8(std::string_view text);

// The Latin-1 text that well-formed UTF-8 with at least one multi-byte
// sequence stands for: each character up to U+00FF as its byte, every other
// as '?', a byte-order mark at the start dropped. Nothing for any other
// bytes (plain ASCII, Latin-1), which stand for themselves.
[[nodiscard]] std::optional<std::string> latin1FromUtf8(std::span<const std::uint8_t> bytes);

// A Latin-1 byte appended to `out` as UTF-8: from 0x80 up as two bytes.
void appendUtf8(std::uint8_t latin1, std::string& out);
// Latin-1 text in UTF-8.
std::string latin1ToUtf8(std::string_view latin1);

}  // namespace kc

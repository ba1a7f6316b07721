// The KC 85 as the programs meet it over its V.24 channel: the codes of its
// keyboard's special keys, where its ROM starts, its flow control, and the
// ESC commands its operating system takes from the line.
//
// A KC word (an address, a length) is 16 bits, least significant byte first,
// on the line as in a KCC file. Everything here is a constant or a function
// the compiler can evaluate; nothing depends on a program.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>

namespace kc {

struct SpecialKey {
    std::uint8_t code;
    std::string_view caption;  // as printed on the key
};

// The twelve keys a desktop has no key for, in the order of the sender's
// buttons. STOP shares its code with XOFF: towards the KC it is data all the
// same, only the KC's own XOFF, which goes the other way, is flow control.
inline constexpr std::array<SpecialKey, 12> kSpecialKeys = {{
    {0xF1, "F1"},
    {0xF2, "F2"},
    {0xF3, "F3"},
    {0xF4, "F4"},
    {0xF5, "F5"},
    {0xF6, "F6"},
    {0x03, "BRK"},
    {0x13, "STOP"},
    {0x1A, "INS"},
    {0x1F, "DEL"},
    {0x01, "CLR"},
    {0x10, "HOME"},
}};

// The key that ends a typed line.
inline constexpr std::uint8_t kEnter = 0x0D;

// The special key whose code `byte` is; nothing for any other byte.
constexpr std::optional<SpecialKey> specialKey(std::uint8_t byte) {
    for (const SpecialKey& key : kSpecialKeys) {
        if (key.code == byte) {
            return key;
        }
    }
    return std::nullopt;
}

// 64 KiB of address space; RAM below the ROM, which takes no writes.
inline constexpr std::size_t kMemorySize = 0x10000;
inline constexpr std::uint16_t kRomStart = 0xE000;

// What the KC sends while it is busy (DC3) and once it is ready again (DC1).
inline constexpr std::uint8_t kXoff = 0x13;
inline constexpr std::uint8_t kXon = 0x11;

// ESC alone breaks into whatever the KC runs; the byte after it names the
// command. An ESC followed by another byte was a keystroke after all.
inline constexpr std::uint8_t kEscape = 0x1B;
// ESC T: a memory write. The address and the length follow, then exactly
// that many bytes, which go into memory from the address on; inside them
// every byte is data.
inline constexpr std::uint8_t kMemoryWrite = 'T';
inline constexpr std::size_t kMemoryWriteHeaderSize = 6;  // ESC, T, address, length
// ESC U and an address (a word) start the program there; none of the
// programs sends it.
inline constexpr std::uint8_t kStartProgram = 'U';

// The word at bytes[offset] and bytes[offset + 1]; both must lie in bytes.
constexpr std::uint16_t readWord(std::span<const std::uint8_t> bytes, std::size_t offset) {
    return static_cast<std::uint16_t>(bytes[offset] | bytes[offset + 1] << 8);
}

// Puts the word into bytes[offset] and bytes[offset + 1]; both must lie in
// bytes.
constexpr void writeWord(std::span<std::uint8_t> bytes, std::size_t offset, std::uint16_t value) {
    bytes[offset] = static_cast<std::uint8_t>(value & 0xFF);
    bytes[offset + 1] = static_cast<std::uint8_t>(value >> 8);
}

// A word as the KC's monitor shows an address: four upper-case hexadecimal
// digits.
inline std::string hexWord(std::uint16_t value) {
    constexpr std::string_view kDigits = "0123456789ABCDEF";
    std::string text(4, '0');
    for (int i = 3; i >= 0; --i, value = static_cast<std::uint16_t>(value >> 4)) {
        text[static_cast<std::size_t>(i)] = kDigits[value & 0xF];
    }
    return text;
}

}  // namespace kc

# Writes OUTPUT, a C++ header holding the assembled BINARY and the LABELS
# z80asm wrote beside it ("name:<TAB>equ $b700" per line). Run by
# kc_z80_code (z80_code.cmake) with cmake -P.
file(READ ${BINARY} hex HEX)
string(LENGTH "${hex}" digits)
math(EXPR size "${digits} / 2")
string(REGEX REPLACE "([0-9a-f][0-9a-f])" "0x\\1, " bytes "${hex}")

file(STRINGS ${LABELS} lines)
set(constants "")
foreach(line IN LISTS lines)
    if(line MATCHES "^([A-Za-z_][A-Za-z0-9_]*):[ \t]+equ[ \t]+\\$([0-9a-fA-F]+)")
        set(label ${CMAKE_MATCH_1})
        set(value ${CMAKE_MATCH_2})
        # from_address -> FromAddress
        string(REPLACE "_" ";" words "${label}")
        set(camel "")
        foreach(word IN LISTS words)
            string(SUBSTRING "${word}" 0 1 first)
            string(SUBSTRING "${word}" 1 -1 rest)
            string(TOUPPER "${first}" first)
            string(APPEND camel "${first}${rest}")
        endforeach()
        string(APPEND constants "inline constexpr std::uint16_t k${camel} = 0x${value};\n")
    endif()
endforeach()

file(WRITE ${OUTPUT} "// Generated from the Z80 source by z80asm at build time; do not edit.
#pragma once

#include <array>
#include <cstdint>

namespace kc::z80::${NAME} {

inline constexpr std::array<std::uint8_t, ${size}> kCode = {
    ${bytes}};

${constants}
}  // namespace kc::z80::${NAME}
")

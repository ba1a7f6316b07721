// HC-BASIC's program file, as BASIC's CSAVE writes it (SSS), and the same
// bytes with the tape's header in front.
//
// An SSS file holds L, a word, then the L bytes of the program as BASIC keeps
// it from 0401h (closing link included), then 03h, the byte BASIC sends to
// every channel it closes, then fill up to a multiple of 128. Only L and the
// program carry meaning; the 03h and the fill are not looked at.
//
// On tape the same bytes follow an 11-byte header: the file type three times,
// then eight name bytes padded with blanks. Some .SSS files kept that header.
// The type says what BASIC saved: a program (D3h), a data array (D4h) or a
// listing as text (D5h), each 4 higher when saved protected. A plain file
// never starts with three such bytes, as its L would then be at least D3D3h,
// more than BASIC holds; so the header needs no other sign.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

#include "basic_program.h"
#include "error.h"

namespace kc {

struct BasicFile {
    std::string name;  // Latin-1, from the file's header, trailing blanks dropped; empty when it
                       // carries none
    bool isProtected = false;  // saved protected: file type D7h
    BasicProgram program;

    friend bool operator==(const BasicFile&, const BasicFile&) = default;
};

// The file types of the tape header.
inline constexpr std::uint8_t kBasicProgramType = 0xD3;
inline constexpr std::uint8_t kBasicArrayType = 0xD4;
inline constexpr std::uint8_t kBasicListingType = 0xD5;
inline constexpr std::uint8_t kProtectedTypeOffset = 4;  // D7h, D8h, D9h

inline constexpr std::size_t kTapeHeaderSize = 11;  // three type bytes, eight name bytes
inline constexpr std::size_t kTapeNameOffset = 3;
inline constexpr std::size_t kTapeNameSize = 8;

// The file type when `bytes` starts with a tape header: three equal bytes,
// one of the six types above. Nothing otherwise.
[[nodiscard]] std::optional<std::uint8_t> tapeFileType(std::span<const std::uint8_t> bytes);

// The BASIC file of `bytes`, which start with a tape header (tapeFileType
// says so), then L and the program. `whole` names what `bytes` are in the
// details ("file", "part 2"). Errors name `subject`: WrongKind for a data
// array or a listing, TooShort when the header and L are not all there,
// Malformed when L runs past the end of `bytes`, and the program's own
// errors (readProgramImage).
[[nodiscard]] std::variant<BasicFile, Error> readTapeBasicFile(std::span<const std::uint8_t> bytes,
                                                               std::string_view subject,
                                                               std::string_view whole = "file");

// The program of an SSS file, plain or with the tape header. A plain file has
// no name and is not protected. Errors as readTapeBasicFile's; TooShort also
// for a plain file of fewer than 2 bytes.
[[nodiscard]] std::variant<BasicFile, Error> readSss(std::span<const std::uint8_t> file,
                                                     std::string_view subject);

// The plain SSS file of `program`, as CSAVE writes it: L, the program, 03h,
// zero bytes to a multiple of 128. Cannot fail; a program longer than 65535
// bytes has no L that says so (BASIC takes none that long).
std::vector<std::uint8_t> writeSss(const BasicProgram& program);

// What the tape carries of `file`, as BASIC writes it: the tape header (type
// D3h or D7h, the name padded with blanks, cut to 8 bytes), L, the program,
// 03h; no fill. Cannot fail.
std::vector<std::uint8_t> tapeBasicFile(const BasicFile& file);

}  // namespace kc

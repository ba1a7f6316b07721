// Reading a file to send: a listing to type, or a memory image to upload.
//
// What kind a file is follows from its name's last four characters alone:
// ".bin" is a raw image, ".kcc" and ".kcb" are KCC containers (a 128-byte
// header, then the image; also with the tape's block numbers kept), ".sss"
// is a BASIC program as the KC saves it, ".tap" a tape archive holding a
// BASIC program or a KCC file, anything else is a listing.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <variant>
#include <vector>

#include "error.h"
#include "sss.h"

namespace morvale {

// The longest listing loaded: far more than any KC program, and small
// enough for the editor to take and show at once.
inline constexpr std::int64_t kLongestText = 1024 * 1024;
// A KC image length is a 16-bit value.
inline constexpr std::int64_t kLongestImage = 0xFFFF;
// Where an image goes that does not say (a raw one), unless the user says.
inline constexpr std::int32_t kDefaultLoadAddress = 0x200;

struct Listing {
    // The file's text in Latin-1 (a file in UTF-8 decoded), each line ending
    // in CR LF as the editor holds it.
    std::string lines;
};

enum class ImageKind { Raw, Kcc, Kcb };

struct Image {
    ImageKind kind = ImageKind::Raw;
    // A container's header as far as the file holds it (up to 128 bytes);
    // empty for a raw image.
    std::vector<std::uint8_t> header;
    // The image's bytes as far as the file holds them, at most announced.
    std::vector<std::uint8_t> bytes;
    // The length the header announces; the file's length for a raw image.
    std::int32_t announced = 0;
    // A container's load and start address, the header read as if a short
    // one went on in zeros; a raw image has neither.
    std::optional<std::int32_t> loadAddress;
    std::optional<std::int32_t> startAddress;
    // A tape archive may hold several files; the first was taken.
    int filesInArchive = 1;
};

// A BASIC program from one of the KC's own files.
struct Program {
    kc::BasicFile file;
    int filesInArchive = 1;
};

using Loaded = std::variant<Listing, Image, Program, kc::Error>;

// Reads the file at path. Errors: NoSuchFile, IsDirectory, EmptyFile,
// System (a read failed, with errno), TooLong (a raw image over 65,535
// bytes, a listing over 1 MiB, a program longer than BASIC takes),
// Malformed and WrongKind (a KC file broken, or holding data BASIC does not
// run); each names the path and says why in words.
[[nodiscard]] Loaded loadFile(const std::string& path);

// A listing from bytes read elsewhere (standard input, say), with the same
// limit and UTF-8 rule; the error names subject.
[[nodiscard]] std::variant<Listing, kc::Error> listingFromBytes(std::span<const std::uint8_t> bytes,
                                                                const std::string& subject);

// The BASIC program a loaded file stands for: a program as it is, a listing
// as BASIC stores it when it is typed line by line into an empty program, a
// KCC or KCB container that holds one at 0401h. Errors name subject:
// Malformed (a listing line BASIC would refuse, named), WrongKind (a memory
// image with no program at 0401h), and those of the reading.
[[nodiscard]] std::variant<kc::BasicFile, kc::Error> basicProgramOf(const Loaded& loaded,
                                                                    const std::string& subject);

}  // namespace morvale

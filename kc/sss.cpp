#include "sss.h"

#include <algorithm>

#include "kc85.h"

namespace kc {

namespace {

constexpr std::size_t kLengthSize = 2;
constexpr std::uint8_t kEndOfText = 0x03;
constexpr std::size_t kRecordSize = 128;

Error error(ErrorKind kind, std::string_view subject, std::string detail) {
    return {kind, 0, std::string(subject), std::move(detail)};
}

bool isProtectedType(std::uint8_t type) {
    return type >= kBasicProgramType + kProtectedTypeOffset;
}

// L, the program and 03h: the file's bytes after any tape header.
std::vector<std::uint8_t> content(const BasicProgram& program) {
    const std::vector<std::uint8_t> image = programImage(program);
    std::vector<std::uint8_t> bytes(kLengthSize);
    writeWord(bytes, 0, static_cast<std::uint16_t>(image.size()));
    bytes.insert(bytes.end(), image.begin(), image.end());
    bytes.push_back(kEndOfText);
    return bytes;
}

// The program of `bytes`, which start with L; at least 2 of them.
std::variant<BasicFile, Error> readContent(std::span<const std::uint8_t> bytes,
                                           std::string_view subject, std::string_view whole,
                                           BasicFile file) {
    const std::size_t length = readWord(bytes, 0);
    const std::size_t present = bytes.size() - kLengthSize;
    if (length > present) {
        return error(ErrorKind::Malformed, subject,
                     "the program's length of " + std::to_string(length) +
                         " bytes runs past the end of the " + std::string(whole) + ", which has " +
                         std::to_string(present) + " bytes after it");
    }
    auto program = readProgramImage(bytes.subspan(kLengthSize, length), subject);
    if (auto* failure = std::get_if<Error>(&program)) {
        return std::move(*failure);
    }
    file.program = std::move(std::get<BasicProgram>(program));
    return file;
}

}  // namespace

std::optional<std::uint8_t> tapeFileType(std::span<const std::uint8_t> bytes) {
    if (bytes.size() < 3 || bytes[1] != bytes[0] || bytes[2] != bytes[0]) {
        return std::nullopt;
    }
    const std::uint8_t type = bytes[0];
    const std::uint8_t plain = isProtectedType(type) ? type - kProtectedTypeOffset : type;
    if (type < kBasicProgramType || plain > kBasicListingType) {
        return std::nullopt;
    }
    return type;
}

std::variant<BasicFile, Error> readTapeBasicFile(std::span<const std::uint8_t> bytes,
                                                 std::string_view subject, std::string_view whole) {
    const std::uint8_t type = bytes.empty() ? 0 : bytes[0];
    const bool isProtected = isProtectedType(type);
    const std::string saved = isProtected ? " saved protected" : "";
    switch (isProtected ? type - kProtectedTypeOffset : type) {
        case kBasicArrayType:
            return error(ErrorKind::WrongKind, subject,
                         "holds a BASIC data array" + saved + " (saved by CSAVE*), not a program");
        case kBasicListingType:
            return error(
                ErrorKind::WrongKind, subject,
                "holds a BASIC listing as text" + saved + " (saved by LIST#), not a program");
        default:
            break;
    }
    if (bytes.size() < kTapeHeaderSize + kLengthSize) {
        return error(ErrorKind::TooShort, subject,
                     "the " + std::string(whole) + " has " + std::to_string(bytes.size()) +
                         " bytes, fewer than the " + std::to_string(kTapeHeaderSize + kLengthSize) +
                         " of its tape header and the program's length");
    }
    BasicFile file;
    const auto name = bytes.subspan(kTapeNameOffset, kTapeNameSize);
    file.name.assign(name.begin(), name.end());
    file.name.erase(file.name.find_last_not_of(' ') + 1);
    file.isProtected = isProtected;
    return readContent(bytes.subspan(kTapeHeaderSize), subject, whole, std::move(file));
}

std::variant<BasicFile, Error> readSss(std::span<const std::uint8_t> file,
                                       std::string_view subject) {
    if (tapeFileType(file)) {
        return readTapeBasicFile(file, subject);
    }
    if (file.size() < kLengthSize) {
        return error(ErrorKind::TooShort, subject,
                     "the file has " + std::to_string(file.size()) +
                         " bytes, fewer than the 2 of the program's length");
    }
    return readContent(file, subject, "file", {});
}

std::vector<std::uint8_t> writeSss(const BasicProgram& program) {
    std::vector<std::uint8_t> file = content(program);
    file.resize((file.size() + kRecordSize - 1) / kRecordSize * kRecordSize);
    return file;
}

std::vector<std::uint8_t> tapeBasicFile(const BasicFile& file) {
    const std::uint8_t type =
        file.isProtected ? kBasicProgramType + kProtectedTypeOffset : kBasicProgramType;
    std::vector<std::uint8_t> bytes(kTapeHeaderSize, ' ');
    std::fill_n(bytes.begin(), kTapeNameOffset, type);
    const std::string_view name = std::string_view(file.name).substr(0, kTapeNameSize);
    std::copy(name.begin(), name.end(), bytes.begin() + kTapeNameOffset);
    const std::vector<std::uint8_t> rest = content(file.program);
    bytes.insert(bytes.end(), rest.begin(), rest.end());
    return bytes;
}

}  // namespace kc

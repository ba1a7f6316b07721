#include "kcb.h"

#include <algorithm>
#include <cstdio>
#include <string>

#include "kcc_header.h"

namespace kc {

namespace {

Error error(ErrorKind kind, std::string_view subject, std::string detail) {
    return {kind, 0, std::string(subject), std::move(detail)};
}

std::string hex(std::uint16_t address) {
    char text[6];
    std::snprintf(text, sizeof text, "%04Xh", address);
    return text;
}

}  // namespace

std::variant<BasicFile, Error> readKcb(std::span<const std::uint8_t> file,
                                       std::string_view subject) {
    const auto header = readKccHeader(file);
    if (!header) {
        return error(ErrorKind::TooShort, subject,
                     "the file has " + std::to_string(file.size()) +
                         " bytes, fewer than the 128 of a KCC header");
    }
    if (header->loadAddress > kBasicProgramStart || header->endAddress <= kBasicProgramStart) {
        return error(ErrorKind::WrongKind, subject,
                     "holds no BASIC program at 0401h; it is a memory image (load address " +
                         hex(header->loadAddress) + ", end address " + hex(header->endAddress) +
                         ")");
    }
    // The image as the header announces it, as far as the file holds it.
    const auto announced = static_cast<std::size_t>(header->imageLength());
    const auto image = file.subspan(kHeaderSize);
    const std::size_t offset = kBasicProgramStart - header->loadAddress;
    const std::size_t end = std::min(announced, image.size());
    const auto program = readProgramImage(
        image.subspan(std::min(offset, end), end - std::min(offset, end)), subject);
    if (const auto* failure = std::get_if<Error>(&program)) {
        if (failure->kind == ErrorKind::Malformed && image.size() < announced) {
            return error(ErrorKind::Malformed, subject,
                         "the file ends " + std::to_string(announced - image.size()) +
                             " bytes before the image's end its header announces (" +
                             hex(header->endAddress) + "), inside the BASIC program");
        }
        return *failure;
    }
    BasicFile basic;
    const auto name = file.subspan(kFileNameOffset, kFileNameSize);
    basic.name.assign(name.begin(), name.end());
    basic.name.erase(basic.name.find_last_not_of(' ') + 1);
    basic.program = std::get<BasicProgram>(program);
    return basic;
}

}  // namespace kc

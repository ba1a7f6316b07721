#include "kcb.h"

#include <algorithm>
#include <string>

#include "kc85.h"
#include "kcc_header.h"

namespace kc {

namespace {

Error error(ErrorKind kind, std::string_view subject, std::string detail) {
    return {kind, 0, std::string(subject), std::move(detail)};
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
                         hexWord(header->loadAddress) + "h, end address " +
                         hexWord(header->endAddress) + "h)");
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
                             hexWord(header->endAddress) + "h), inside the BASIC program");
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

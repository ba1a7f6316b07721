#include "basic_program.h"

#include <algorithm>
#include <string>

#include "kc85.h"

namespace kc {

namespace {

constexpr std::size_t kLinkSize = 2;
constexpr std::size_t kLineHeaderSize = 4;  // link and number

Error malformed(std::string_view subject, std::string detail) {
    return {ErrorKind::Malformed, 0, std::string(subject), std::move(detail)};
}

}  // namespace

std::size_t programImageSize(const BasicProgram& program) {
    std::size_t size = kLinkSize;
    for (const BasicLine& line : program.lines) {
        size += kLineHeaderSize + line.text.size() + 1;
    }
    return size;
}

std::vector<std::uint8_t> programImage(const BasicProgram& program, std::uint16_t start) {
    std::vector<std::uint8_t> image(programImageSize(program));
    std::size_t at = 0;
    for (const BasicLine& line : program.lines) {
        const std::size_t next = at + kLineHeaderSize + line.text.size() + 1;
        writeWord(image, at, static_cast<std::uint16_t>(start + next));
        writeWord(image, at + 2, line.number);
        std::copy(line.text.begin(), line.text.end(), image.begin() + at + kLineHeaderSize);
        at = next;  // the zero byte is already there
    }
    return image;  // and so is the closing link
}

std::variant<BasicProgram, Error> readProgramImage(std::span<const std::uint8_t> image,
                                                   std::string_view subject) {
    BasicProgram program;
    std::size_t at = 0;
    for (;;) {
        if (at + kLinkSize > image.size()) {
            return malformed(subject, "the program ends after " + std::to_string(at) +
                                          " bytes without its closing link (00 00)");
        }
        if (readWord(image, at) == 0) {
            break;
        }
        if (at + kLineHeaderSize > image.size()) {
            return malformed(subject, "the program ends inside the line that starts at byte " +
                                          std::to_string(at));
        }
        BasicLine line;
        line.number = readWord(image, at + 2);
        const auto text = image.subspan(at + kLineHeaderSize);
        const auto end = std::find(text.begin(), text.end(), std::uint8_t{0});
        if (end == text.end()) {
            return malformed(subject,
                             "line " + std::to_string(line.number) + " has no zero byte to end it");
        }
        line.text.assign(text.begin(), end);
        at += kLineHeaderSize + line.text.size() + 1;
        program.lines.push_back(std::move(line));
    }
    const std::size_t size = at + kLinkSize;
    if (size > kLargestBasicProgram) {
        return Error{ErrorKind::TooLong, 0, std::string(subject),
                     "the program's " + std::to_string(size) + " bytes are more than the " +
                         std::to_string(kLargestBasicProgram) + " BASIC takes"};
    }
    return program;
}

}  // namespace kc

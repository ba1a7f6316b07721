// The SSS reader and writer.
//
// Input: the bytes of an SSS file.
// Model: a tape header is three equal bytes, D3h, D4h, D5h or D7h, D8h, D9h,
// then eight name bytes; D4h, D5h, D8h, D9h hold no program. After the header
// (or from the start) come L, a word, and L program bytes, read by BASIC's
// program reader; fewer than the header and L, or fewer than L program bytes,
// are an error. The name is the eight bytes less trailing blanks; D7h is
// protected. Whatever reads, written again (plain, and with its tape header)
// reads back the same.
#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <variant>
#include <vector>

#include "check.h"
#include "sss.h"

using namespace fuzz;

namespace {

struct Expected {
    bool reads = false;
    kc::ErrorKind kind = kc::ErrorKind::Malformed;
    kc::BasicFile file;
};

Expected fromProgram(std::span<const std::uint8_t> image, kc::BasicFile file) {
    auto program = kc::readProgramImage(image, "x");
    if (const auto* error = std::get_if<kc::Error>(&program)) {
        return {false, error->kind, {}};
    }
    file.program = std::get<kc::BasicProgram>(program);
    return {true, kc::ErrorKind::Malformed, file};
}

Expected model(const std::uint8_t* data, std::size_t size) {
    bool header = false;
    if (size >= 3 && data[0] == data[1] && data[0] == data[2]) {
        switch (data[0]) {
            case 0xD4:
            case 0xD5:
            case 0xD8:
            case 0xD9:
                return {false, kc::ErrorKind::WrongKind, {}};
            case 0xD3:
            case 0xD7:
                header = true;
                break;
            default:
                break;
        }
    }
    const std::size_t skip = header ? 11 : 0;
    if (size < skip + 2) {
        return {false, kc::ErrorKind::TooShort, {}};
    }
    const std::size_t length = data[skip] + 256 * data[skip + 1];
    if (skip + 2 + length > size) {
        return {false, kc::ErrorKind::Malformed, {}};
    }
    kc::BasicFile file;
    if (header) {
        file.name.assign(reinterpret_cast<const char*>(data + 3), 8);
        while (!file.name.empty() && file.name.back() == ' ') {
            file.name.pop_back();
        }
        file.isProtected = data[0] == 0xD7;
    }
    return fromProgram(std::span(data + skip + 2, length), file);
}

kc::BasicFile readBack(const std::vector<std::uint8_t>& bytes, const char* what) {
    const auto read = kc::readSss(bytes, "w");
    expectTrue(std::holds_alternative<kc::BasicFile>(read), what);
    return std::get<kc::BasicFile>(read);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const auto read = kc::readSss(std::span(data, size), "in.sss");
    const Expected expected = model(data, size);
    expectEqual(std::holds_alternative<kc::BasicFile>(read), expected.reads, "reads");
    if (const auto* error = std::get_if<kc::Error>(&read)) {
        expectEqual(static_cast<int>(error->kind), static_cast<int>(expected.kind), "error kind");
        expectEqual(error->subject, std::string("in.sss"), "error subject");
        expectTrue(!error->detail.empty(), "error detail");
        return 0;
    }
    const kc::BasicFile& file = std::get<kc::BasicFile>(read);
    expectEqual(file.name, expected.file.name, "name");
    expectEqual(file.isProtected, expected.file.isProtected, "protected");
    expectTrue(file.program == expected.file.program, "program");

    const std::vector<std::uint8_t> plain = kc::writeSss(file.program);
    const std::size_t image = kc::programImageSize(file.program);
    expectEqual(plain.size() % 128, 0, "written to a multiple of 128");
    expectEqual(plain.size(), (image + 3 + 127) / 128 * 128, "written length");
    expectEqual(plain[0] + 256 * plain[1], image, "written L");
    expectEqual(plain[2 + image], 0x03, "03h after the program");
    expectTrue(readBack(plain, "plain file reads back") == kc::BasicFile{"", false, file.program},
               "plain file reads back the same");
    expectTrue(readBack(kc::tapeBasicFile(file), "tape file reads back") == file,
               "tape file reads back the same");
    return 0;
}

// The converter's choice of its output path.
//
// Input: the path given on the command line, any bytes.
// Model: a path is a KCC file when its last four bytes, lower-cased, are
// ".kcc". The output keeps the directory part (up to the last '/') byte for
// byte; its file name is the input's name lower-cased (by characters when it
// is valid UTF-8) with every ".kcc" made ".bin", left to right. So a KCC
// file's output ends in ".bin" and is never the input itself.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "check.h"
#include "output_path.h"
#include "rule_models.h"

using namespace fuzz;

namespace {

// A name of valid UTF-8 lowered character by character: A-Z and U+00C0 to
// U+00DE but U+00D7 to their small letters, 0x20 up, written as UTF-8 again.
// Any other name byte by byte.
std::string loweredName(std::string_view name) {
    const auto characters = utf8Characters(name);
    if (!characters) {
        return lowered(name);
    }
    std::string result;
    for (char32_t c : *characters) {
        if (('A' <= c && c <= 'Z') || (0xC0 <= c && c <= 0xDE && c != 0xD7)) {
            c += 0x20;
        }
        if (c < 0x80) {
            result += static_cast<char>(c);
            continue;
        }
        const int more = c < 0x800 ? 1 : c < 0x10000 ? 2 : 3;
        static constexpr unsigned kLead[] = {0, 0xC0, 0xE0, 0xF0};
        result += static_cast<char>(kLead[more] | c >> 6 * more);
        for (int k = more - 1; k >= 0; --k) {
            result += static_cast<char>(0x80 | ((c >> 6 * k) & 0x3F));
        }
    }
    return result;
}

// The name rule: lower-case the name, then replace the ".kcc"s.
std::string outputName(std::string_view name) {
    const std::string lower = loweredName(name);
    std::string result;
    std::size_t at = 0;
    for (std::size_t found; (found = lower.find(".kcc", at)) != std::string::npos; at = found + 4) {
        result += lower.substr(at, found - at) + ".bin";
    }
    return result + lower.substr(at);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view input(reinterpret_cast<const char*>(data), size);
    const bool isKcc = size >= 4 && lowered(input.substr(size - 4)) == ".kcc";
    expectEqual(kccstrip::hasKccExtension(input), isKcc, "a KCC file by its name");

    const std::size_t slash = input.rfind('/');
    const std::size_t nameStart = slash == std::string_view::npos ? 0 : slash + 1;
    const std::string output = kccstrip::outputPathFor(input);
    expectEqual(output.substr(0, nameStart), input.substr(0, nameStart), "directory part kept");
    expectEqual(output.substr(nameStart), outputName(input.substr(nameStart)), "output name");
    if (isKcc) {
        expectTrue(output.ends_with(".bin"), "a KCC file's output ends in .bin");
        expectTrue(output != input, "the output is never the input");
    }
    return 0;
}

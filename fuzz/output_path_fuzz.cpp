// The converter's choice of its output path.
//
// Input: the path given on the command line, any bytes.
// Model: a path is a KCC file when its last four bytes, lower-cased, are
// ".kcc". The output keeps the directory part (up to the last '/') byte for
// byte; its file name is the input's name lower-cased with every ".kcc" made
// ".bin", left to right. So a KCC file's output ends in ".bin" and is never
// the input itself.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "check.h"
#include "output_path.h"
#include "rule_models.h"

using namespace fuzz;

namespace {

// The name rule: lower-case every byte, then replace the ".kcc"s.
std::string outputName(std::string_view name) {
    const std::string lower = lowered(name);
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

#include "list_answer.h"

#include "basic_listing.h"
#include "list_output.h"

namespace kcsim {

namespace {

constexpr std::size_t kZerosAfterLineEnd = 10;

void endLine(std::vector<std::uint8_t>& out) {
    out.insert(out.end(), {'\r', '\n'});
    out.insert(out.end(), kZerosAfterLineEnd, 0x00);
}

}  // namespace

std::vector<std::uint8_t> listAnswer(const kc::BasicProgram& program) {
    std::vector<std::uint8_t> out;
    endLine(out);
    for (const std::string& line : kc::listedLines(program)) {
        out.insert(out.end(), line.begin(), line.end());
        endLine(out);
    }
    out.push_back(kc::kEndOfListing);
    return out;
}

}  // namespace kcsim

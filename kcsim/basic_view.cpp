#include "basic_view.h"

#include <cstdio>
#include <span>

#include "basic_listing.h"
#include "basic_program.h"
#include "screen.h"

namespace kcsim {

bool writesBasicEnd(const Upload& upload) {
    // The offset wraps as the write does at FFFFh.
    const auto offset = static_cast<std::uint16_t>(kc::kBasicEndPointers - upload.address);
    return std::size_t{offset} + 1 < upload.bytes.size();
}

bool showBasicProgram(const MemoryWrite::Memory& memory, std::string& out) {
    const std::uint16_t end = kc::readWord(memory, kc::kBasicEndPointers);
    const std::size_t size = end > kc::kBasicProgramStart ? end - kc::kBasicProgramStart : 0;
    char subject[32];
    std::snprintf(subject, sizeof subject, "%04Xh to %04Xh", unsigned{kc::kBasicProgramStart},
                  unsigned{end});
    auto read =
        kc::readProgramImage(std::span(memory).subspan(kc::kBasicProgramStart, size), subject);
    if (const auto* error = std::get_if<kc::Error>(&read)) {
        out += "[BASIC] no program: " + error->describe() + "\n";
        return false;
    }
    const kc::BasicProgram& program = std::get<kc::BasicProgram>(read);
    const std::size_t lines = program.lines.size();
    out += "[BASIC] " + std::to_string(lines) + (lines == 1 ? " line, " : " lines, ") +
           std::to_string(kc::programImageSize(program)) + " bytes\n";
    for (const std::string& line : kc::listedLines(program)) {
        for (const char c : line) {
            appendShown(static_cast<std::uint8_t>(c), out);
        }
        out += '\n';
    }
    return true;
}

}  // namespace kcsim

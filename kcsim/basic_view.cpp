#include "basic_view.h"

#include "basic_listing.h"
#include "basic_memory.h"
#include "screen.h"

namespace kcsim {

bool writesBasicEnd(const Upload& upload) {
    // The offset wraps as the write does at FFFFh.
    const auto offset = static_cast<std::uint16_t>(kc::kBasicEndPointers - upload.address);
    return std::size_t{offset} + 1 < upload.bytes.size();
}

bool showBasicProgram(const MemoryWrite::Memory& memory, std::string& out) {
    const auto read = readBasicProgram(memory);
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

#include "basic_memory.h"

#include <algorithm>
#include <initializer_list>
#include <optional>
#include <span>

#include "basic_listing.h"

namespace kcsim {

namespace {

// BASIC's first program text address, which its cold start sets.
constexpr std::uint16_t kProgramTextPointer = 0x035F;

void writeWords(MemoryWrite::Memory& memory, std::uint16_t address,
                std::initializer_list<std::uint16_t> words) {
    for (const std::uint16_t word : words) {
        storeByte(memory, address++, word & 0xFF);
        storeByte(memory, address++, word >> 8);
    }
}

void storeProgram(MemoryWrite::Memory& memory, const kc::BasicProgram& program) {
    const std::vector<std::uint8_t> image = kc::programImage(program);
    std::copy(image.begin(), image.end(), memory.begin() + kc::kBasicProgramStart);
    const auto end = static_cast<std::uint16_t>(kc::kBasicProgramStart + image.size());
    writeWords(memory, kc::kBasicEndPointers, {end, end, end});
}

// The number of a line that holds nothing else: its digits, blanks between
// them passed over; nothing when there are none.
std::optional<std::uint32_t> numberAlone(std::string_view keys) {
    std::optional<std::uint32_t> number;
    for (const char c : keys) {
        if (c >= '0' && c <= '9') {
            number = number.value_or(0) * 10 + static_cast<std::uint32_t>(c - '0');
        } else if (c != ' ') {
            break;
        }
    }
    return number;
}

}  // namespace

std::variant<kc::BasicProgram, kc::Error> readBasicProgram(const MemoryWrite::Memory& memory) {
    const std::uint16_t end = kc::readWord(memory, kc::kBasicEndPointers);
    const std::size_t size = end > kc::kBasicProgramStart ? end - kc::kBasicProgramStart : 0;
    const std::string subject =
        kc::hexWord(kc::kBasicProgramStart) + "h to " + kc::hexWord(end) + "h";
    return kc::readProgramImage(std::span(memory).subspan(kc::kBasicProgramStart, size), subject);
}

void coldStartBasic(MemoryWrite::Memory& memory) {
    writeWords(memory, kProgramTextPointer, {kc::kBasicProgramStart});
    memory[kc::kBasicProgramStart - 1] = 0;
    clearBasicProgram(memory);
}

void clearBasicProgram(MemoryWrite::Memory& memory) {
    storeProgram(memory, {});
    memory[kc::kBasicProtectionFlag] = 0;
}

bool enterBasicLine(MemoryWrite::Memory& memory, std::string_view keys) {
    const auto typed = kc::programFromListing(keys, "the typed line");
    if (std::holds_alternative<kc::Error>(typed)) {
        return false;
    }
    const std::vector<kc::BasicLine>& entered = std::get<kc::BasicProgram>(typed).lines;
    auto read = readBasicProgram(memory);
    kc::BasicProgram program;
    if (auto* held = std::get_if<kc::BasicProgram>(&read)) {
        program = std::move(*held);
    }
    const std::optional<std::uint32_t> number =
        entered.empty() ? numberAlone(keys) : entered.front().number;
    if (!number) {
        return false;
    }
    auto& lines = program.lines;
    const auto at = std::find_if(lines.begin(), lines.end(),
                                 [&](const kc::BasicLine& line) { return line.number >= *number; });
    const bool replaces = at != lines.end() && at->number == *number;
    if (entered.empty()) {
        if (!replaces) {
            return false;  // BASIC's "UL": there is no such line
        }
        lines.erase(at);
    } else if (replaces) {
        *at = entered.front();
    } else {
        lines.insert(at, entered.front());
    }
    if (kc::programImageSize(program) > kc::kLargestBasicProgram) {
        return false;  // BASIC's "OM"
    }
    storeProgram(memory, program);
    return true;
}

bool basicProgramProtected(const MemoryWrite::Memory& memory) {
    return memory[kc::kBasicProtectionFlag] != 0;
}

}  // namespace kcsim

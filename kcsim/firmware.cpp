#include "firmware.h"

#include <algorithm>
#include <optional>
#include <variant>

#include "basic_listing.h"
#include "basic_memory.h"
#include "basic_program.h"
#include "basic_tokens.h"
#include "list_answer.h"

namespace kcsim {

namespace {

constexpr std::uint8_t kNew = 0xA4;
constexpr std::uint8_t kBye = 0x9B;
constexpr std::uint8_t kDoke = 0x96;
constexpr std::uint8_t kList = 0xA0;
constexpr std::uint8_t kPlus = 0xAC;
constexpr std::uint8_t kMinus = 0xAD;

using Bytes = std::vector<std::uint8_t>;

// The line's words between blanks; nothing when it holds a control byte.
std::optional<std::vector<std::string_view>> wordsOf(std::string_view keys) {
    if (std::any_of(keys.begin(), keys.end(),
                    [](char c) { return static_cast<std::uint8_t>(c) < 0x20; })) {
        return std::nullopt;
    }
    std::vector<std::string_view> words;
    for (std::size_t at = keys.find_first_not_of(' '); at != std::string_view::npos;) {
        const std::size_t end = std::min(keys.find(' ', at), keys.size());
        words.push_back(keys.substr(at, end - at));
        at = keys.find_first_not_of(' ', end);
    }
    return words;
}

// One to `digits` hex digits in capitals, as CAOS takes them.
std::optional<std::uint16_t> hexNumber(std::string_view text, std::size_t digits) {
    if (text.empty() || text.size() > digits) {
        return std::nullopt;
    }
    unsigned value = 0;
    for (const char c : text) {
        const bool digit = c >= '0' && c <= '9';
        if (!digit && !(c >= 'A' && c <= 'F')) {
            return std::nullopt;
        }
        value = value * 16 + static_cast<unsigned>(digit ? c - '0' : c - 'A' + 10);
    }
    return static_cast<std::uint16_t>(value);
}

// The text BASIC's tokeniser makes of a line without a number. Its line
// editor takes such a line as it takes a numbered one before it looks for
// the number, so the line is read as line 0 (one key more against the
// editor's 73). Nothing when the editor would not hand the line on (an
// editing key, ESC).
std::optional<Bytes> directText(std::string_view keys) {
    const auto read = kc::programFromListing("0" + std::string(keys), "the typed line");
    if (std::holds_alternative<kc::Error>(read)) {
        return std::nullopt;
    }
    const auto& lines = std::get<kc::BasicProgram>(read).lines;
    return lines.empty() ? Bytes{} : lines.front().text;
}

// The statements of a tokenised text, split at the colons outside strings,
// without the blanks outside strings; a REM ends them.
std::vector<Bytes> statementsOf(const Bytes& text) {
    std::vector<Bytes> statements(1);
    bool inString = false;
    for (const std::uint8_t byte : text) {
        if (byte == '"') {
            inString = !inString;
        } else if (!inString && (byte == kc::kBasicRem || byte == kc::kBasicBang)) {
            break;
        } else if (!inString && byte == ':') {
            statements.emplace_back();
            continue;
        } else if (!inString && byte == ' ') {
            continue;
        }
        statements.back().push_back(byte);
    }
    return statements;
}

// A whole number from `at` to the end or to `stop`, a sign token before it
// allowed, in the range BASIC's DOKE takes (-32768 to 65535), as a word.
std::optional<std::uint16_t> wholeNumber(const Bytes& text, std::size_t& at, std::uint8_t stop) {
    const bool negative = at < text.size() && text[at] == kMinus;
    if (at < text.size() && (text[at] == kMinus || text[at] == kPlus)) {
        ++at;
    }
    long value = 0;
    const std::size_t first = at;
    for (; at < text.size() && text[at] != stop; ++at) {
        if (text[at] < '0' || text[at] > '9' || value > 65535) {
            return std::nullopt;
        }
        value = value * 10 + (text[at] - '0');
    }
    value = negative ? -value : value;
    if (at == first || value < -32768 || value > 65535) {
        return std::nullopt;
    }
    return static_cast<std::uint16_t>(value);
}

// DOKE address,value: writes the word, when the statement is one.
bool doke(const Bytes& statement, MemoryWrite::Memory& memory) {
    if (statement.empty() || statement.front() != kDoke) {
        return false;
    }
    std::size_t at = 1;
    const auto address = wholeNumber(statement, at, ',');
    if (!address || at == statement.size()) {
        return false;
    }
    ++at;
    const auto value = wholeNumber(statement, at, 0);
    if (!value) {
        return false;
    }
    storeByte(memory, *address, *value & 0xFF);
    storeByte(memory, static_cast<std::uint16_t>(*address + 1), *value >> 8);
    return true;
}

bool isListToLine(const Bytes& statement) {
    const Bytes start{kList, '#', '3', '"'};
    return statement.size() >= start.size() &&
           std::equal(start.begin(), start.end(), statement.begin());
}

// LIST#3: the program on the line, with a line on what went.
Bytes listToLine(const MemoryWrite::Memory& memory, std::string& out) {
    if (basicProgramProtected(memory)) {
        out += "[LIST#3] the program is protected: BASIC lists nothing\n";
        return {};
    }
    const auto read = readBasicProgram(memory);
    if (const auto* error = std::get_if<kc::Error>(&read)) {
        const Bytes sent = listAnswer({});
        out += "[LIST#3] no program (" + error->describe() + "): " + std::to_string(sent.size()) +
               " bytes of an empty listing sent\n";
        return sent;
    }
    const auto& program = std::get<kc::BasicProgram>(read);
    const Bytes sent = listAnswer(program);
    const std::size_t lines = program.lines.size();
    out += "[LIST#3] " + std::to_string(lines) + (lines == 1 ? " line, " : " lines, ") +
           std::to_string(sent.size()) + " bytes sent\n";
    return sent;
}

}  // namespace

bool inCommandState(const MemoryWrite::Memory& memory) {
    return kc::readWord(memory, kReceiveVector) == kCommandStateRoutine;
}

void setReceiveRoutine(MemoryWrite::Memory& memory, std::uint16_t routine) {
    kc::writeWord(memory, kReceiveVector, routine);
}

std::vector<std::uint8_t> Firmware::takeLine(std::string_view keys, MemoryWrite::Memory& memory,
                                             std::string& out) {
    switch (place_) {
        case Place::CaosPrompt:
            caosLine(keys, out);
            return {};
        case Place::Modify:
            modifyLine(keys, memory, out);
            return {};
        case Place::MemoryEnd:
            coldStartBasic(memory);
            place_ = Place::Basic;
            out += "  = BASIC, with an empty program\n";
            return {};
        case Place::Basic:
            return basicLine(keys, memory, out);
    }
    return {};
}

void Firmware::caosLine(std::string_view keys, std::string& out) {
    const auto words = wordsOf(keys);
    if (!words || words->empty()) {
        return;
    }
    const std::string_view word = words->front();
    if (word == "BASIC" && words->size() == 1) {
        place_ = Place::MemoryEnd;
        out += "  = BASIC's cold start, asking MEMORY END ?\n";
    } else if (word == "REBASIC" && words->size() == 1) {
        place_ = Place::Basic;
        out += "  = BASIC, with the program it held\n";
    } else if (word == "MODIFY" && words->size() >= 2) {
        if (const auto address = hexNumber((*words)[1], 4)) {
            place_ = Place::Modify;
            modifyAt_ = *address;
            out += "  = MODIFY at " + kc::hexWord(modifyAt_) + "\n";
        }
    }
}

void Firmware::modifyLine(std::string_view keys, MemoryWrite::Memory& memory, std::string& out) {
    auto words = wordsOf(keys);
    if (!words) {
        return;
    }
    bool ends = false;
    Bytes bytes;
    for (std::string_view word : *words) {
        if (ends) {
            return;  // nothing after the point
        }
        ends = word.ends_with('.');
        word.remove_suffix(ends ? 1 : 0);
        if (word.empty() && ends) {
            continue;
        }
        const auto byte = hexNumber(word, 2);
        if (!byte) {
            return;
        }
        bytes.push_back(static_cast<std::uint8_t>(*byte));
    }
    for (const std::uint8_t byte : bytes) {
        storeByte(memory, modifyAt_++, byte);
    }
    if (ends) {
        place_ = Place::CaosPrompt;
        out += "  = the CAOS prompt\n";
    }
}

std::vector<std::uint8_t> Firmware::basicLine(std::string_view keys, MemoryWrite::Memory& memory,
                                              std::string& out) {
    // The editor ignores LF, which a sender may put after a CR.
    std::string line(keys);
    std::erase(line, '\n');
    const std::size_t first = line.find_first_not_of(' ');
    if (first != std::string::npos && line[first] >= '0' && line[first] <= '9') {
        enterBasicLine(memory, line);
        return {};
    }
    const auto text = directText(line);
    if (!text) {
        return {};
    }
    Bytes sent;
    for (const Bytes& statement : statementsOf(*text)) {
        if (statement == Bytes{kBye}) {
            if (basicProgramProtected(memory)) {
                clearBasicProgram(memory);
            }
            place_ = Place::CaosPrompt;
            out += "  = the CAOS prompt\n";
            break;
        }
        if (statement == Bytes{kNew}) {
            clearBasicProgram(memory);
        } else if (isListToLine(statement)) {
            const Bytes listed = listToLine(memory, out);
            sent.insert(sent.end(), listed.begin(), listed.end());
        } else {
            doke(statement, memory);
        }
    }
    return sent;
}

}  // namespace kcsim

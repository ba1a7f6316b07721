#include "basic_listing.h"

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <map>
#include <optional>

#include "basic_tokens.h"

namespace kc {

namespace {

constexpr char kEndOfFile = 0x1A;
// CAOS types a function key's string in its place, and none has one until a
// program or KEY gives it one.
constexpr std::uint8_t kFirstFunctionKey = 0xF1;
constexpr std::size_t kQuotedStart = 24;

// What the KC does with a key that makes a typed line other than its
// characters; nothing for a key it stores, echoes or ignores.
std::optional<std::string_view> keyActedOn(std::uint8_t key) {
    switch (key) {
        case 0x1B:
            return "ESC, which CAOS takes together with the key after it, even the line's end";
        case 0x03:
            return "BRK, which makes BASIC's line editor abandon the line";
        case 0x1C:
            return "the key that makes BASIC's line editor run LIST instead";
        case 0x1D:
            return "the key that makes BASIC's line editor run RUN instead";
        case 0x1E:
            return "the key that makes BASIC's line editor run CONT instead";
        case 0x02:
        case 0x08:
        case 0x18:
        case 0x19:
        case 0x1A:
        case 0x1F:
            return "a key BASIC's line editor edits the line with";
        default:
            return std::nullopt;
    }
}

// "line N ("start")", the start in printable ASCII with every other byte as
// <XX>, so that the detail reads the same in any terminal and any window.
std::string lineNamed(std::size_t number, std::string_view line) {
    const std::size_t blanks = line.find_first_not_of(" \t");
    line.remove_prefix(blanks == std::string_view::npos ? line.size() : blanks);
    std::string shown;
    for (const char c : line.substr(0, kQuotedStart)) {
        const auto byte = static_cast<std::uint8_t>(c);
        if (byte >= 0x20 && byte < 0x7F) {
            shown += c;
        } else {
            char hex[5];
            std::snprintf(hex, sizeof hex, "<%02X>", byte);
            shown += hex;
        }
    }
    if (line.size() > kQuotedStart) {
        shown += "...";
    }
    return "line " + std::to_string(number) + " (\"" + shown + "\")";
}

Error malformed(std::string_view subject, std::size_t line, std::string detail) {
    return {ErrorKind::Malformed, 0, std::string(subject), std::move(detail),
            static_cast<int>(line)};
}

// The characters the editor holds when the line's CR comes, or the key that
// the KC would act on.
std::variant<std::string, std::uint8_t> keysTyped(std::string_view line) {
    std::string keys;
    for (const char c : line) {
        const auto byte = static_cast<std::uint8_t>(c);
        if (keyActedOn(byte)) {
            return byte;
        }
        if (byte == '\t') {
            keys += ' ';  // the KC's cursor-right over an empty place
        } else if (byte >= 0x20 && byte < kFirstFunctionKey) {
            keys += c;
        }
    }
    if (keys.size() > kBasicLineKeys) {
        // The cursor stays on the last place, each further key overwrites it.
        keys.erase(kBasicLineKeys - 1, keys.size() - kBasicLineKeys);
    }
    return keys;
}

struct NumberedLine {
    std::uint16_t number = 0;
    std::string_view text;  // from its first non-blank on; empty deletes the line
};

enum class NoLine { Blank, Unnumbered, NumberTooHigh };

std::variant<NumberedLine, NoLine> numberedLine(std::string_view keys) {
    std::size_t at = keys.find_first_not_of(' ');
    if (at == std::string_view::npos) {
        return NoLine::Blank;
    }
    if (keys[at] < '0' || keys[at] > '9') {
        return NoLine::Unnumbered;
    }
    unsigned number = 0;
    for (; at < keys.size() && (keys[at] == ' ' || (keys[at] >= '0' && keys[at] <= '9')); ++at) {
        if (keys[at] != ' ') {
            number = number * 10 + (keys[at] - '0');
            if (number > kHighestLineNumber) {
                return NoLine::NumberTooHigh;
            }
        }
    }
    return NumberedLine{static_cast<std::uint16_t>(number), keys.substr(at)};
}

}  // namespace

std::variant<BasicProgram, Error> programFromListing(std::string_view latin1,
                                                     std::string_view subject) {
    std::map<std::uint16_t, std::vector<std::uint8_t>> lines;
    std::size_t lineCount = 0;
    for (std::size_t at = 0; at < latin1.size();) {
        const std::size_t end = std::min(latin1.find_first_of("\r\n", at), latin1.size());
        const std::string_view line = latin1.substr(at, end - at);
        at = end + (latin1.substr(end, 2) == "\r\n" ? 2 : 1);
        ++lineCount;
        if (line.starts_with(kEndOfFile)) {
            break;
        }
        const auto keys = keysTyped(line);
        if (const auto* key = std::get_if<std::uint8_t>(&keys)) {
            char code[4];
            std::snprintf(code, sizeof code, "%02Xh", *key);
            return malformed(subject, lineCount,
                             lineNamed(lineCount, line) + " holds " + code + ", " +
                                 std::string(*keyActedOn(*key)));
        }
        const auto numbered = numberedLine(std::get<std::string>(keys));
        if (const auto* no = std::get_if<NoLine>(&numbered)) {
            if (*no == NoLine::Unnumbered) {
                return malformed(subject, lineCount,
                                 lineNamed(lineCount, line) +
                                     " has no line number; BASIC would run it instead "
                                     "of storing it");
            }
            if (*no == NoLine::NumberTooHigh) {
                return malformed(subject, lineCount,
                                 lineNamed(lineCount, line) + " has a line number above " +
                                     std::to_string(kHighestLineNumber) + ", which BASIC refuses");
            }
            continue;
        }
        const auto& [number, text] = std::get<NumberedLine>(numbered);
        if (text.empty()) {
            lines.erase(number);  // BASIC says UL ERROR when there is none and goes on
        } else {
            lines[number] = tokeniseText(text);
        }
    }
    BasicProgram program;
    for (auto& [number, text] : lines) {
        program.lines.push_back({number, std::move(text)});
    }
    return program;
}

std::vector<std::string> listedLines(const BasicProgram& program) {
    std::vector<std::string> listed;
    listed.reserve(program.lines.size());
    for (const BasicLine& line : program.lines) {
        listed.push_back(std::to_string(line.number) + " " + listedText(line.text));
    }
    return listed;
}

}  // namespace kc

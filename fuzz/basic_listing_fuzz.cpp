// HC-BASIC's tokeniser, LIST, and a listing typed into an empty program.
//
// Input: any bytes, taken three ways: as the text after a line number, as a
// listing file, and as a program of lines separated by zero bytes, each line
// two bytes of number (high byte first, modulo 65530) and its text, where
// bytes below 20h stand for 40h above them.
// Model: the rules as a list, followed one by one:
// - Tokenising, at each place in this order: a blank is kept; a quote is kept
//   with everything up to and including the next quote or the end; in DATA a
//   byte is kept; "?" is PRINT (9Eh); 30h-3Bh are kept; else the first of the
//   117 keywords, in token order, whose letters follow there in capitals,
//   blanks being passed over within GOTO only; else the byte, a-z in
//   capitals. After a stored byte ':' ends DATA, 83h begins it, 8Eh and 9Ch
//   keep the rest. A zero byte ends the text.
// - LIST: the number, a blank, each byte from 80h to F4h outside quotes as
//   its keyword and every other byte as itself.
// - A listing: lines end at CR LF, LF or CR; a line starting with 1Ah ends
//   it; 02h 03h 08h 18h 19h 1Ah-1Fh in a line are an error; TAB is a blank,
//   other bytes below 20h and those above F0h drop out; of more than 73
//   characters the first 72 and the last stay; a line of blanks is passed
//   over; then blanks, a number of digits and blanks (above 65529 an error,
//   none an error), and the text; no text deletes the line, else the line is
//   stored or replaced.
// - Listing a program read from a listing and reading that back gives the
//   same program, unless a listed line is longer than 73 characters or a "?"
//   follows a letter in the first listing as the KC takes it (it may join
//   the letters before it into STOP, STEP, INP, EXP or BEEP once it is listed
//   as PRINT).
#include <cstddef>
#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

#include "basic_listing.h"
#include "basic_tokens.h"
#include "check.h"

using namespace fuzz;

namespace {

const char* const kKeywordTable[117] = {
    "END",    "FOR",   "NEXT",    "DATA",   "INPUT",     "DIM",   "READ",    "LET",     "GOTO",
    "RUN",    "IF",    "RESTORE", "GOSUB",  "RETURN",    "REM",   "STOP",    "OUT",     "ON",
    "NULL",   "WAIT",  "DEF",     "POKE",   "DOKE",      "AUTO",  "LINES",   "CLS",     "WIDTH",
    "BYE",    "!",     "CALL",    "PRINT",  "CONT",      "LIST",  "CLEAR",   "CLOAD",   "CSAVE",
    "NEW",    "TAB(",  "TO",      "FN",     "SPC(",      "THEN",  "NOT",     "STEP",    "+",
    "-",      "*",     "/",       "^",      "AND",       "OR",    ">",       "=",       "<",
    "SGN",    "INT",   "ABS",     "USR",    "FRE",       "INP",   "POS",     "SQR",     "RND",
    "LN",     "EXP",   "COS",     "SIN",    "TAN",       "ATN",   "PEEK",    "DEEK",    "PI",
    "LEN",    "STR$",  "VAL",     "ASC",    "CHR$",      "LEFT$", "RIGHT$",  "MID$",    "LOAD",
    "TRON",   "TROFF", "EDIT",    "ELSE",   "INKEY$",    "JOYST", "STRING$", "INSTR",   "RENUMBER",
    "DELETE", "PAUSE", "BEEP",    "WINDOW", "BORDER",    "INK",   "PAPER",   "AT",      "COLOR",
    "SOUND",  "PSET",  "PRESET",  "BLOAD",  "VPEEK",     "VPOKE", "LOCATE",  "KEYLIST", "KEY",
    "SWITCH", "PTEST", "CLOSE",   "OPEN",   "RANDOMIZE", "VGET$", "LINE",    "CIRCLE",  "CSRLIN",
};

using Bytes = std::vector<std::uint8_t>;

bool isLetter(unsigned char c) {
    return ('A' <= c && c <= 'Z') || ('a' <= c && c <= 'z');
}

unsigned char capital(unsigned char c) {
    return 'a' <= c && c <= 'z' ? c - 32 : c;
}

// How many bytes of `rest` the keyword takes, or 0 when it is not there.
std::size_t keywordLength(const std::string& keyword, std::string_view rest) {
    std::size_t used = 0;
    for (std::size_t k = 0; k < keyword.size(); ++k) {
        if (keyword == "GOTO" && k > 0) {
            while (used < rest.size() && rest[used] == ' ') {
                ++used;
            }
        }
        if (used == rest.size() || capital(rest[used]) != keyword[k]) {
            return 0;
        }
        ++used;
    }
    return used;
}

Bytes modelTokenise(std::string_view typed) {
    const std::string line(typed.substr(0, typed.find('\0')));
    Bytes stored;
    bool data = false;
    std::size_t i = 0;
    while (i < line.size()) {
        const unsigned char c = line[i];
        if (c == ' ') {
            stored.push_back(c);
            ++i;
            continue;
        }
        if (c == '"') {
            stored.push_back(c);
            ++i;
            while (i < line.size()) {
                const unsigned char d = line[i++];
                stored.push_back(d);
                if (d == '"') {
                    break;
                }
            }
            continue;
        }
        unsigned char b = 0;
        if (data) {
            b = c;
            ++i;
        } else if (c == '?') {
            b = 0x9E;
            ++i;
        } else if (c >= 0x30 && c <= 0x3B) {
            b = c;
            ++i;
        } else {
            b = capital(c);
            std::size_t used = 1;
            for (int k = 0; k < 117; ++k) {
                const std::size_t length =
                    keywordLength(kKeywordTable[k], std::string_view(line).substr(i));
                if (length > 0) {
                    b = 0x80 + k;
                    used = length;
                    break;
                }
            }
            i += used;
        }
        stored.push_back(b);
        if (b == ':') {
            data = false;
        }
        if (b == 0x83) {
            data = true;
        }
        if (b == 0x8E || b == 0x9C) {
            stored.insert(stored.end(), line.begin() + i, line.end());
            break;
        }
    }
    return stored;
}

std::string modelListed(const kc::BasicLine& line) {
    std::string listed = std::to_string(line.number) + " ";
    bool quoted = false;
    for (const std::uint8_t b : line.text) {
        if (b == '"') {
            quoted = !quoted;
        }
        if (!quoted && b >= 0x80 && b <= 0xF4) {
            listed += kKeywordTable[b - 0x80];
        } else {
            listed += static_cast<char>(b);
        }
    }
    return listed;
}

std::vector<std::string> fileLines(std::string_view file) {
    std::vector<std::string> lines;
    std::string line;
    for (std::size_t i = 0; i < file.size(); ++i) {
        if (file[i] == '\r' || file[i] == '\n') {
            if (file[i] == '\r' && i + 1 < file.size() && file[i + 1] == '\n') {
                ++i;
            }
            lines.push_back(line);
            line.clear();
        } else {
            line += file[i];
        }
    }
    if (!line.empty()) {
        lines.push_back(line);
    }
    return lines;
}

// The program, or the number of the file's line that is an error.
std::variant<kc::BasicProgram, std::size_t> modelProgram(std::string_view file) {
    const std::string refused("\x02\x03\x08\x18\x19\x1A\x1B\x1C\x1D\x1E\x1F");
    const auto lines = fileLines(file);
    std::map<int, Bytes> program;
    for (std::size_t n = 0; n < lines.size(); ++n) {
        const std::string& line = lines[n];
        if (!line.empty() && line[0] == '\x1A') {
            break;
        }
        std::string keys;
        for (const char c : line) {
            if (refused.find(c) != std::string::npos) {
                return n + 1;
            }
            if (c == '\t') {
                keys += ' ';
            } else if (static_cast<unsigned char>(c) >= 0x20 &&
                       static_cast<unsigned char>(c) <= 0xF0) {
                keys += c;
            }
        }
        if (keys.size() > 73) {
            keys = keys.substr(0, 72) + keys.back();
        }
        std::size_t i = 0;
        while (i < keys.size() && keys[i] == ' ') {
            ++i;
        }
        if (i == keys.size()) {
            continue;
        }
        std::string digits;
        while (i < keys.size() && (keys[i] == ' ' || ('0' <= keys[i] && keys[i] <= '9'))) {
            if (keys[i] != ' ') {
                digits += keys[i];
            }
            ++i;
        }
        const std::size_t significant = digits.find_first_not_of('0');
        if (digits.empty() ||
            (significant != std::string::npos &&
             (digits.size() - significant > 5 || std::stol(digits.substr(significant)) > 65529))) {
            return n + 1;
        }
        const int number = significant == std::string::npos ? 0 : std::stoi(digits);
        if (i == keys.size()) {
            program.erase(number);
        } else {
            program[number] = modelTokenise(keys.substr(i));
        }
    }
    kc::BasicProgram result;
    for (const auto& [number, text] : program) {
        result.lines.push_back({static_cast<std::uint16_t>(number), text});
    }
    return result;
}

std::optional<kc::BasicProgram> checkedRead(std::string_view file) {
    const auto code = kc::programFromListing(file, "fuzz");
    const auto model = modelProgram(file);
    if (const auto* line = std::get_if<std::size_t>(&model)) {
        expectTrue(std::holds_alternative<kc::Error>(code), "a listing BASIC would not take");
        const kc::Error& error = std::get<kc::Error>(code);
        expectEqual(error.kind == kc::ErrorKind::Malformed && error.subject == "fuzz", true,
                    "the error's kind and subject");
        expectEqual(error.detail.substr(0, error.detail.find(' ', 5)),
                    "line " + std::to_string(*line), "the line the error names");
        return std::nullopt;
    }
    expectTrue(std::holds_alternative<kc::BasicProgram>(code), "a listing BASIC takes");
    const auto& program = std::get<kc::BasicProgram>(code);
    expectTrue(program == std::get<kc::BasicProgram>(model), "the program of a listing");
    return program;
}

std::vector<std::string> checkedListing(const kc::BasicProgram& program) {
    const auto listed = kc::listedLines(program);
    expectEqual(listed.size(), program.lines.size(), "one listed line per line");
    for (std::size_t i = 0; i < listed.size(); ++i) {
        expectEqual(std::string_view(listed[i]), std::string_view(modelListed(program.lines[i])),
                    "a listed line");
    }
    return listed;
}

bool fitsTheEditor(const std::vector<std::string>& listing) {
    for (const std::string& line : listing) {
        if (line.size() > 73) {
            return false;
        }
    }
    return true;
}

bool typesBack(const std::vector<std::string>& listing) {
    if (!fitsTheEditor(listing)) {
        return false;
    }
    for (const std::string& line : listing) {
        unsigned char before = 0;  // the last key the KC keeps
        for (const unsigned char c : line) {
            if (c == '?' && isLetter(before)) {
                return false;
            }
            if (c <= 0xF0) {
                before = c;
            }
        }
    }
    return true;
}

std::string joined(const std::vector<std::string>& lines) {
    std::string file;
    for (const std::string& line : lines) {
        file += line + "\r\n";
    }
    return file;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view input(reinterpret_cast<const char*>(data), size);
    expectEqual(kc::tokeniseText(input), modelTokenise(input), "the tokenised text");
    checkedRead(input);

    std::map<int, Bytes> lines;
    for (std::size_t at = 0; at < size;) {
        std::size_t end = at;
        while (end < size && data[end] != 0) {
            ++end;
        }
        if (end - at >= 2) {
            Bytes text;
            for (std::size_t i = at + 2; i < end; ++i) {
                text.push_back(data[i] < 0x20 ? data[i] + 0x40 : data[i]);
            }
            lines[(data[at] << 8 | data[at + 1]) % 65530] = text;
        }
        at = end + 1;
    }
    kc::BasicProgram written;
    for (const auto& [number, text] : lines) {
        written.lines.push_back({static_cast<std::uint16_t>(number), text});
    }
    const auto listing = checkedListing(written);
    if (!typesBack(listing)) {
        return 0;
    }
    const auto typed = checkedRead(joined(listing));
    if (!typed) {
        return 0;
    }
    const auto relisted = checkedListing(*typed);
    if (!fitsTheEditor(relisted)) {
        return 0;
    }
    const auto again = checkedRead(joined(relisted));
    expectTrue(again && *again == *typed, "a listing read back is the program listed");
    return 0;
}

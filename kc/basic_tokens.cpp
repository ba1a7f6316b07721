#include "basic_tokens.h"

#include <array>
#include <cstddef>

namespace kc {

namespace {

// In token order from 80h: the BASIC ROM's table, then the one CAOS 4.2 adds.
constexpr std::array<std::string_view, kLastBasicToken - kFirstBasicToken + 1> kKeywords = {
    "END",
    "FOR",
    "NEXT",
    "DATA",
    "INPUT",
    "DIM",
    "READ",
    "LET",
    "GOTO",
    "RUN",
    "IF",
    "RESTORE",
    "GOSUB",
    "RETURN",
    "REM",
    "STOP",
    "OUT",
    "ON",
    "NULL",
    "WAIT",
    "DEF",
    "POKE",
    "DOKE",
    "AUTO",
    "LINES",
    "CLS",
    "WIDTH",
    "BYE",
    "!",
    "CALL",
    "PRINT",
    "CONT",
    "LIST",
    "CLEAR",
    "CLOAD",
    "CSAVE",
    "NEW",
    "TAB(",
    "TO",
    "FN",
    "SPC(",
    "THEN",
    "NOT",
    "STEP",
    "+",
    "-",
    "*",
    "/",
    "^",
    "AND",
    "OR",
    ">",
    "=",
    "<",
    "SGN",
    "INT",
    "ABS",
    "USR",
    "FRE",
    "INP",
    "POS",
    "SQR",
    "RND",
    "LN",
    "EXP",
    "COS",
    "SIN",
    "TAN",
    "ATN",
    "PEEK",
    "DEEK",
    "PI",
    "LEN",
    "STR$",
    "VAL",
    "ASC",
    "CHR$",
    "LEFT$",
    "RIGHT$",
    "MID$",
    "LOAD",
    "TRON",
    "TROFF",
    "EDIT",
    "ELSE",
    // CAOS 4.2
    "INKEY$",
    "JOYST",
    "STRING$",
    "INSTR",
    "RENUMBER",
    "DELETE",
    "PAUSE",
    "BEEP",
    "WINDOW",
    "BORDER",
    "INK",
    "PAPER",
    "AT",
    "COLOR",
    "SOUND",
    "PSET",
    "PRESET",
    "BLOAD",
    "VPEEK",
    "VPOKE",
    "LOCATE",
    "KEYLIST",
    "KEY",
    "SWITCH",
    "PTEST",
    "CLOSE",
    "OPEN",
    "RANDOMIZE",
    "VGET$",
    "LINE",
    "CIRCLE",
    "CSRLIN",
};

constexpr std::uint8_t kGoto = 0x88;

constexpr std::uint8_t upperAscii(std::uint8_t c) {
    return c >= 'a' && c <= 'z' ? static_cast<std::uint8_t>(c - 0x20) : c;
}

struct Match {
    std::uint8_t token = 0;
    std::size_t length = 0;  // of the typed text it stands for
};

// The first keyword in token order whose letters follow at `at`, compared
// without regard to case; blanks between GOTO's letters are passed over.
std::optional<Match> keywordAt(std::string_view text, std::size_t at) {
    for (std::size_t k = 0; k < kKeywords.size(); ++k) {
        const auto token = static_cast<std::uint8_t>(kFirstBasicToken + k);
        std::size_t pos = at;
        bool matches = true;
        for (std::size_t i = 0; matches && i < kKeywords[k].size(); ++i) {
            if (token == kGoto && i > 0) {
                while (pos < text.size() && text[pos] == ' ') {
                    ++pos;
                }
            }
            matches = pos < text.size() &&
                      upperAscii(static_cast<std::uint8_t>(text[pos])) == kKeywords[k][i];
            ++pos;
        }
        if (matches) {
            return Match{token, pos - at};
        }
    }
    return std::nullopt;
}

}  // namespace

std::optional<std::string_view> basicKeyword(std::uint8_t token) {
    if (token < kFirstBasicToken || token > kLastBasicToken) {
        return std::nullopt;
    }
    return kKeywords[token - kFirstBasicToken];
}

std::vector<std::uint8_t> tokeniseText(std::string_view latin1) {
    const std::string_view text = latin1.substr(0, latin1.find('\0'));
    const auto byteAt = [&](std::size_t at) { return static_cast<std::uint8_t>(text[at]); };
    std::vector<std::uint8_t> stored;
    bool inData = false;
    std::size_t at = 0;
    while (at < text.size()) {
        const std::uint8_t c = byteAt(at);
        if (c == '"') {
            const std::size_t close = text.find('"', at + 1);
            const std::size_t end = close == std::string_view::npos ? text.size() : close + 1;
            stored.insert(stored.end(), text.begin() + at, text.begin() + end);
            at = end;
            continue;
        }
        std::uint8_t byte = c;
        std::size_t length = 1;
        if (c == ' ' || inData || (c >= '0' && c <= ';')) {
            // kept as typed
        } else if (c == '?') {
            byte = kBasicPrint;
        } else if (const auto match = keywordAt(text, at)) {
            byte = match->token;
            length = match->length;
        } else {
            byte = upperAscii(c);
        }
        stored.push_back(byte);
        at += length;
        // BASIC looks at the byte it stored, not at how it came about: a raw
        // 83h typed also starts a DATA text, a raw 8Eh a remark.
        if (byte == ':') {
            inData = false;
        } else if (byte == kBasicData) {
            inData = true;
        } else if (byte == kBasicRem || byte == kBasicBang) {
            stored.insert(stored.end(), text.begin() + at, text.end());
            break;
        }
    }
    return stored;
}

std::string listedText(std::span<const std::uint8_t> text) {
    std::string listed;
    bool quoted = false;
    for (const std::uint8_t byte : text) {
        if (byte == '"') {
            quoted = !quoted;
        }
        const auto keyword = quoted ? std::nullopt : basicKeyword(byte);
        if (keyword) {
            listed += *keyword;
        } else {
            listed += static_cast<char>(byte);
        }
    }
    return listed;
}

}  // namespace kc

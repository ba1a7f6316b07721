// The KC-TAP reader and writer.
//
// Input: the bytes of a TAP file.
// Model: the file starts with the 16-byte magic. Reading on in steps of 129
// bytes from the magic's end, wherever the magic stands again a new part
// starts and the steps go on after it. In a part, every byte after the magic
// is payload except the first of each 129; the part's last block is cut when
// its length after the magic is no multiple of 129. A payload that starts
// with three D3h or D7h is a BASIC file: the 11-byte header, L, then L bytes
// of program for BASIC's program reader. Three D4h, D5h, D8h or D9h are no
// program. Any other payload is a KCC file: 128 header bytes (load address
// at 17, end at 19), then end minus load image bytes. Too few bytes where
// the last block is cut are Malformed; otherwise too few for a KCC header
// are TooShort, for a BASIC header and L TooShort, for L or the KCC image
// Malformed. The first part that fails fails the file. Whatever reads as a
// BASIC file, written again, reads back the same, in 129-byte blocks numbered
// 01h, 02h, ... and FFh for the last of several.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <span>
#include <string>
#include <variant>
#include <vector>

#include "check.h"
#include "tap.h"

using namespace fuzz;
using Bytes = std::vector<std::uint8_t>;

namespace {

const char kMagic[] = "\xC3KC-TAPE by AF. ";

struct Expected {
    bool reads = false;
    kc::ErrorKind kind = kc::ErrorKind::Malformed;
    std::vector<kc::TapContent> contents;
};

bool magic(const std::uint8_t* at, std::size_t left) {
    return left >= 16 && std::memcmp(at, kMagic, 16) == 0;
}

// The part's file, or the kind of its error.
std::variant<kc::TapContent, kc::ErrorKind> part(const std::uint8_t* data, std::size_t size) {
    Bytes payload;
    for (std::size_t i = 16; i < size; ++i) {
        if ((i - 16) % 129 != 0) {
            payload.push_back(data[i]);
        }
    }
    const bool cut = size > 16 && (size - 16) % 129 != 0;
    const std::size_t have = payload.size();
    const bool three = have >= 3 && payload[0] == payload[1] && payload[0] == payload[2];
    if (three && (payload[0] == 0xD3 || payload[0] == 0xD7)) {
        const std::size_t length = have >= 13 ? payload[11] + 256 * payload[12] : 0;
        if (have < 13 + length) {
            return cut         ? kc::ErrorKind::Malformed
                   : have < 13 ? kc::ErrorKind::TooShort
                               : kc::ErrorKind::Malformed;
        }
        kc::BasicFile file;
        file.name.assign(payload.begin() + 3, payload.begin() + 11);
        while (!file.name.empty() && file.name.back() == ' ') {
            file.name.pop_back();
        }
        file.isProtected = payload[0] == 0xD7;
        auto program = kc::readProgramImage(std::span(payload).subspan(13, length), "x");
        if (const auto* error = std::get_if<kc::Error>(&program)) {
            return error->kind;
        }
        file.program = std::get<kc::BasicProgram>(program);
        return file;
    }
    if (three &&
        (payload[0] == 0xD4 || payload[0] == 0xD5 || payload[0] == 0xD8 || payload[0] == 0xD9)) {
        return kc::ErrorKind::WrongKind;
    }
    if (have < 128) {
        return cut ? kc::ErrorKind::Malformed : kc::ErrorKind::TooShort;
    }
    const int load = payload[17] + 256 * payload[18];
    const int end = payload[19] + 256 * payload[20];
    const std::size_t need = 128 + static_cast<std::size_t>(std::max(end - load, 0));
    if (have < need) {
        return kc::ErrorKind::Malformed;
    }
    return kc::TapKcc{Bytes(payload.begin(), payload.begin() + static_cast<std::ptrdiff_t>(need))};
}

Expected model(const std::uint8_t* data, std::size_t size) {
    if (!magic(data, size)) {
        return {false, kc::ErrorKind::WrongKind, {}};
    }
    std::vector<std::size_t> starts{0};
    for (std::size_t at = 16; at < size;) {
        const bool again = magic(data + at, size - at);
        if (again) {
            starts.push_back(at);
        }
        at += again ? 16 : 129;
    }
    starts.push_back(size);
    Expected expected{true, kc::ErrorKind::Malformed, {}};
    for (std::size_t i = 0; i + 1 < starts.size(); ++i) {
        auto content = part(data + starts[i], starts[i + 1] - starts[i]);
        if (const auto* kind = std::get_if<kc::ErrorKind>(&content)) {
            return {false, *kind, {}};
        }
        expected.contents.push_back(std::get<kc::TapContent>(content));
    }
    return expected;
}

void checkWritten(const kc::BasicFile& file) {
    const Bytes tap = kc::writeTap(file);
    const std::size_t data = 11 + 2 + kc::programImageSize(file.program) + 1;
    const std::size_t blocks = (data + 127) / 128;
    expectEqual(tap.size(), 16 + 129 * blocks, "written length");
    expectTrue(std::memcmp(tap.data(), kMagic, 16) == 0, "written magic");
    for (std::size_t k = 0; k < blocks; ++k) {
        const std::size_t number = k > 0 && k + 1 == blocks ? 0xFF : (k + 1) % 256;
        expectEqual(tap[16 + 129 * k], number, "block number");
    }
    const auto read = kc::readTap(tap, "w");
    expectTrue(std::holds_alternative<std::vector<kc::TapContent>>(read), "written TAP reads");
    const auto& contents = std::get<std::vector<kc::TapContent>>(read);
    expectEqual(contents.size(), 1, "written TAP holds one part");
    expectTrue(std::get<kc::BasicFile>(contents[0]) == file, "written TAP reads back the same");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const auto read = kc::readTap(std::span(data, size), "in.tap");
    const Expected expected = model(data, size);
    expectEqual(std::holds_alternative<std::vector<kc::TapContent>>(read), expected.reads, "reads");
    if (const auto* error = std::get_if<kc::Error>(&read)) {
        expectEqual(static_cast<int>(error->kind), static_cast<int>(expected.kind), "error kind");
        expectEqual(error->subject, std::string("in.tap"), "error subject");
        expectTrue(!error->detail.empty(), "error detail");
        return 0;
    }
    const auto& contents = std::get<std::vector<kc::TapContent>>(read);
    expectEqual(contents.size(), expected.contents.size(), "parts");
    for (std::size_t i = 0; i < contents.size(); ++i) {
        expectEqual(contents[i].index(), expected.contents[i].index(), "kind of part");
        if (const auto* kcc = std::get_if<kc::TapKcc>(&contents[i])) {
            expectEqual(kcc->bytes, std::get<kc::TapKcc>(expected.contents[i]).bytes, "KCC bytes");
        } else {
            const auto& file = std::get<kc::BasicFile>(contents[i]);
            const auto& model = std::get<kc::BasicFile>(expected.contents[i]);
            expectEqual(file.name, model.name, "name");
            expectEqual(file.isProtected, model.isProtected, "protected");
            expectTrue(file.program == model.program, "program");
            checkWritten(file);
        }
    }
    return 0;
}

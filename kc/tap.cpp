#include "tap.h"

#include <algorithm>
#include <string>

#include "kc85.h"
#include "kcc_header.h"

namespace kc {

namespace {

constexpr std::uint8_t kLastBlock = 0xFF;

Error error(ErrorKind kind, std::string_view subject, std::string detail) {
    return {kind, 0, std::string(subject), std::move(detail)};
}

bool magicAt(std::span<const std::uint8_t> file, std::size_t at) {
    return file.size() - at >= kTapMagic.size() &&
           std::equal(kTapMagic.begin(), kTapMagic.end(), file.begin() + at);
}

// Where each part starts: at 0, and wherever the magic stands at one of the
// block boundaries of the part before.
std::vector<std::size_t> partStarts(std::span<const std::uint8_t> file) {
    std::vector<std::size_t> starts{0};
    std::size_t at = kTapMagic.size();
    while (at < file.size()) {
        if (magicAt(file, at)) {
            starts.push_back(at);
            at += kTapMagic.size();
        } else {
            at += kTapBlockSize;
        }
    }
    return starts;
}

struct Payload {
    std::vector<std::uint8_t> bytes;
    std::size_t blocks = 0;
    bool lastCut = false;  // the last block has fewer than 129 bytes
};

Payload payloadOf(std::span<const std::uint8_t> part) {
    Payload payload;
    for (std::size_t at = kTapMagic.size(); at < part.size(); at += kTapBlockSize) {
        const auto block = part.subspan(at, std::min(kTapBlockSize, part.size() - at));
        payload.bytes.insert(payload.bytes.end(), block.begin() + 1, block.end());
        payload.lastCut = block.size() < kTapBlockSize;
        ++payload.blocks;
    }
    return payload;
}

// How many payload bytes the part's file needs, as far as what is there can
// tell: its header, then what the header announces.
std::size_t needed(std::span<const std::uint8_t> payload, bool isBasic) {
    if (isBasic) {
        constexpr std::size_t head = kTapeHeaderSize + 2;
        return payload.size() < head ? head : head + readWord(payload, kTapeHeaderSize);
    }
    const auto header = readKccHeader(payload);
    return header ? kHeaderSize + header->imageLength() : kHeaderSize;
}

std::variant<TapContent, Error> readPart(std::span<const std::uint8_t> part,
                                         std::string_view subject, const std::string& whole) {
    const Payload payload = payloadOf(part);
    const std::span<const std::uint8_t> bytes = payload.bytes;
    const auto type = tapeFileType(bytes);
    const bool isBasic =
        type && (*type == kBasicProgramType || *type == kBasicProgramType + kProtectedTypeOffset);
    const std::size_t need = needed(bytes, isBasic);
    if ((!type || isBasic) && payload.lastCut && bytes.size() < need) {
        return error(ErrorKind::Malformed, subject,
                     "the " + whole + " ends inside its block " + std::to_string(payload.blocks) +
                         ", " + std::to_string(need - bytes.size()) +
                         " bytes short of the data its header announces");
    }
    if (type) {
        auto basic = readTapeBasicFile(bytes, subject, whole);
        if (auto* failure = std::get_if<Error>(&basic)) {
            return std::move(*failure);
        }
        return std::move(std::get<BasicFile>(basic));
    }
    const auto header = readKccHeader(bytes);
    if (!header) {
        return error(ErrorKind::TooShort, subject,
                     "the " + whole + " holds " + std::to_string(bytes.size()) +
                         " bytes, fewer than the 128 of a KCC header");
    }
    if (bytes.size() < need) {
        return error(ErrorKind::Malformed, subject,
                     "the KCC image in the " + whole + " is " +
                         std::to_string(need - bytes.size()) + " bytes short of the " +
                         std::to_string(header->imageLength()) + " its header announces");
    }
    return TapKcc{{bytes.begin(), bytes.begin() + static_cast<std::ptrdiff_t>(need)}};
}

}  // namespace

std::variant<std::vector<TapContent>, Error> readTap(std::span<const std::uint8_t> file,
                                                     std::string_view subject) {
    if (!magicAt(file, 0)) {
        return error(ErrorKind::WrongKind, subject,
                     "not a KC-TAP file: it does not start with \"KC-TAPE by AF.\"");
    }
    std::vector<std::size_t> starts = partStarts(file);
    const std::size_t parts = starts.size();
    starts.push_back(file.size());
    std::vector<TapContent> contents;
    for (std::size_t i = 0; i < parts; ++i) {
        const std::string whole = parts > 1 ? "file's part " + std::to_string(i + 1) : "file";
        auto content = readPart(file.subspan(starts[i], starts[i + 1] - starts[i]), subject, whole);
        if (auto* failure = std::get_if<Error>(&content)) {
            return std::move(*failure);
        }
        contents.push_back(std::move(std::get<TapContent>(content)));
    }
    return contents;
}

std::vector<std::uint8_t> writeTap(const BasicFile& file) {
    const std::vector<std::uint8_t> data = tapeBasicFile(file);
    const std::size_t blocks = (data.size() + kTapPayloadSize - 1) / kTapPayloadSize;
    std::vector<std::uint8_t> tap(kTapMagic.begin(), kTapMagic.end());
    for (std::size_t block = 0; block < blocks; ++block) {
        const bool last = block + 1 == blocks && block > 0;
        tap.push_back(last ? kLastBlock : static_cast<std::uint8_t>(block + 1));
        const std::size_t from = block * kTapPayloadSize;
        const std::size_t to = std::min(from + kTapPayloadSize, data.size());
        tap.insert(tap.end(), data.begin() + static_cast<std::ptrdiff_t>(from),
                   data.begin() + static_cast<std::ptrdiff_t>(to));
        tap.resize(tap.size() + kTapPayloadSize - (to - from));
    }
    return tap;
}

}  // namespace kc

// The reader of KCC files that kept their tape block numbers.
//
// Input: the bytes of a file.
// Model: the layout needs a first byte of 00h or 01h and, as the second
// block's number, one more than it or FFh: at 130 with checksums (preferred
// where the byte at 129 is also such a number only when it is the first
// block's checksum), else at 129 without. Block k is then its number, 128
// data bytes and perhaps the checksum (their sum modulo 256); every number
// after the first is one more than the one before or FFh, and the FFh block
// is the last read. A block cut short, a number out of order or a wrong
// checksum is Malformed; otherwise the data bytes joined are the KCC file.
// A file made in the layout from the input reads back as the input, where
// the layout leaves no doubt.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <variant>
#include <vector>

#include "check.h"
#include "kcc_blocks.h"

using namespace fuzz;
using Bytes = std::vector<std::uint8_t>;

namespace {

std::uint8_t sum(const std::uint8_t* data) {
    unsigned total = 0;
    for (int i = 0; i < 128; ++i) {
        total += data[i];
    }
    return static_cast<std::uint8_t>(total % 256);
}

// The data, or nothing for an error; `stride` is the size of the blocks, 0
// when the file has not the layout.
std::optional<Bytes> model(const std::uint8_t* data, std::size_t size, std::size_t& stride) {
    stride = 0;
    if (size == 0 || data[0] > 1) {
        return std::nullopt;
    }
    const auto next = [&](std::size_t at) {
        return size > at && (data[at] == data[0] + 1 || data[at] == 0xFF);
    };
    if (next(130) && (!next(129) || data[129] == sum(data + 1))) {
        stride = 130;
    } else if (next(129)) {
        stride = 129;
    } else {
        return std::nullopt;
    }
    Bytes kcc;
    int expected = -1;
    for (std::size_t at = 0; at < size; at += stride) {
        if (size - at < stride) {
            return std::nullopt;
        }
        const std::uint8_t number = data[at];
        if (expected >= 0 && number != 0xFF && number != expected) {
            return std::nullopt;
        }
        if (stride == 130 && data[at + 129] != sum(data + at + 1)) {
            return std::nullopt;
        }
        kcc.insert(kcc.end(), data + at + 1, data + at + 129);
        if (number == 0xFF) {
            break;
        }
        expected = (number + 1) % 256;
    }
    return kcc;
}

// The input in the layout, numbered from `first`, FFh last.
Bytes numbered(const Bytes& kcc, std::uint8_t first, bool checksums) {
    Bytes file;
    for (std::size_t at = 0; at < kcc.size(); at += 128) {
        file.push_back(at + 128 >= kcc.size() ? 0xFF : static_cast<std::uint8_t>(first + at / 128));
        file.insert(file.end(), kcc.begin() + at, kcc.begin() + at + 128);
        if (checksums) {
            file.push_back(sum(kcc.data() + at));
        }
    }
    return file;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const auto read = kc::kccFromNumberedBlocks(std::span(data, size), "in.kcc");
    std::size_t stride = 0;
    const std::optional<Bytes> kcc = model(data, size, stride);
    expectEqual(read.has_value(), stride != 0, "has the layout");
    if (read) {
        expectEqual(std::holds_alternative<Bytes>(*read), kcc.has_value(), "reads");
        if (const auto* error = std::get_if<kc::Error>(&*read)) {
            expectEqual(static_cast<int>(error->kind), static_cast<int>(kc::ErrorKind::Malformed),
                        "error kind");
            expectEqual(error->subject, std::string("in.kcc"), "error subject");
            expectTrue(error->detail.find("block ") != std::string::npos, "error names the block");
        } else {
            expectEqual(std::get<Bytes>(*read), *kcc, "data");
        }
    }

    // Two blocks at least, so that the second block's number is there to see.
    if (size < 2) {
        return 0;
    }
    Bytes plain(data, data + size);
    plain.resize(std::max<std::size_t>(256, (size + 127) / 128 * 128));
    const bool checksums = data[0] & 2;
    const Bytes file = numbered(plain, data[0] & 1, checksums);
    // Without checksums, a second block whose first byte could be a number
    // and whose own number is the first block's checksum looks like the
    // layout with them; past FEh the numbers reach FFh too early.
    const bool doubtful = plain.size() / 128 > 250 ||
                          (!checksums && (file[130] == 0xFF || file[130] == file[0] + 1) &&
                           file[129] == sum(file.data() + 1));
    if (!doubtful) {
        const auto back = kc::kccFromNumberedBlocks(file, "w");
        expectTrue(back && std::holds_alternative<Bytes>(*back), "numbered file reads");
        expectEqual(std::get<Bytes>(*back), plain, "numbered file reads back the same");
    }
    return 0;
}

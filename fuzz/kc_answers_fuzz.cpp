// What the KC sends back: the output of LIST#3 and the frame of the memory
// routine.
//
// Input: the first byte chooses; the rest is what came over the line.
// Model, LIST#3: zero bytes and LF are passed over; CR ends a line, the first
// one only when something came before it; 03h ends the listing and nothing
// after it counts. Model, frame: for the address and length of the frame's
// own header (else 4000h, 2), it is taken exactly when it is 9 bytes longer
// than the length, starts with KCD, and its last two bytes are the CRC-16
// (CCITT, from FFFFh, bit by bit) of what lies between; then the bytes
// after the header are the memory. A frame made by memoryFrame always reads
// back.
#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "check.h"
#include "list_output.h"
#include "memory_sender.h"

using namespace fuzz;
using Bytes = std::vector<std::uint8_t>;

namespace {

void checkListOutput(std::span<const std::uint8_t> bytes) {
    std::vector<std::string> lines;
    std::string line;
    bool ended = false;
    bool any = false;
    for (const std::uint8_t b : bytes) {
        if (b == 0x03) {
            ended = true;
            break;
        }
        if (b == '\r') {
            if (any || !line.empty()) {
                lines.push_back(line);
            }
            any = true;
            line.clear();
        } else if (b != 0 && b != '\n') {
            line += static_cast<char>(b);
        }
    }
    const kc::ListOutput output = kc::readListOutput(bytes);
    expectEqual(output.ended, ended, "a listing ends at 03h");
    expectEqual(output.lines.size(), lines.size(), "lines");
    for (std::size_t i = 0; i < lines.size() && i < output.lines.size(); ++i) {
        expectEqual(output.lines[i], lines[i], "a line");
    }
}

std::uint16_t modelCrc(std::span<const std::uint8_t> bytes) {
    unsigned crc = 0xFFFF;
    for (const std::uint8_t b : bytes) {
        for (int bit = 7; bit >= 0; --bit) {
            const bool top = ((crc >> 15) ^ (b >> bit)) & 1;
            crc = ((crc << 1) & 0xFFFF) ^ (top ? 0x1021 : 0);
        }
    }
    return static_cast<std::uint16_t>(crc);
}

void checkFrame(std::span<const std::uint8_t> frame) {
    std::uint16_t from = 0x4000;
    std::uint16_t count = 2;
    if (frame.size() >= 7) {
        from = static_cast<std::uint16_t>(frame[3] | frame[4] << 8);
        count = static_cast<std::uint16_t>(frame[5] | frame[6] << 8);
    }
    const std::size_t length = count == 0 ? 0x10000 : count;
    const bool taken =
        frame.size() == length + 9 && frame[0] == 'K' && frame[1] == 'C' && frame[2] == 'D' &&
        modelCrc(frame.subspan(3, length + 4)) == (frame[length + 7] << 8 | frame[length + 8]);
    const auto read = kc::readMemoryFrame(frame, from, count, "line");
    expectEqual(std::holds_alternative<Bytes>(read), taken, "a frame is taken");
    if (taken) {
        const auto memory = frame.subspan(7, length);
        expectEqual(std::get<Bytes>(read), Bytes(memory.begin(), memory.end()), "the memory");
    }
    if (!frame.empty() && frame.size() <= 0x10000) {
        const Bytes made = kc::memoryFrame(from, frame);
        const auto again =
            kc::readMemoryFrame(made, from, static_cast<std::uint16_t>(frame.size()), "line");
        expectTrue(std::holds_alternative<Bytes>(again) &&
                       std::get<Bytes>(again) == Bytes(frame.begin(), frame.end()),
                   "a frame made reads back");
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0) {
        return 0;
    }
    const std::span<const std::uint8_t> rest(data + 1, size - 1);
    if (data[0] & 1) {
        checkFrame(rest);
    } else {
        checkListOutput(rest);
    }
    return 0;
}

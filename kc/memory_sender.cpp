#include "memory_sender.h"

#include <algorithm>
#include <string>

#include "kc85.h"
#include "send_memory_code.h"

namespace kc {

namespace {

namespace code = z80::send_memory;

std::size_t bytesOf(std::uint16_t count) {
    return count == 0 ? 0x10000 : count;
}

}  // namespace

std::uint16_t memorySenderAddress() {
    return code::kStart;
}

std::size_t memorySenderSize() {
    return code::kCode.size();
}

std::vector<std::uint8_t> memorySenderCode(std::uint16_t from, std::uint16_t count) {
    std::vector<std::uint8_t> bytes(code::kCode.begin(), code::kCode.end());
    writeWord(bytes, code::kFrom - code::kStart, from);
    writeWord(bytes, code::kCount - code::kStart, count);
    return bytes;
}

std::size_t memoryFrameSize(std::uint16_t count) {
    return kMemoryFrameOverhead + bytesOf(count);
}

std::uint16_t crc16Ccitt(std::span<const std::uint8_t> bytes, std::uint16_t crc) {
    for (const std::uint8_t byte : bytes) {
        crc ^= static_cast<std::uint16_t>(byte << 8);
        for (int bit = 0; bit < 8; ++bit) {
            crc = static_cast<std::uint16_t>((crc & 0x8000) ? (crc << 1) ^ 0x1021 : crc << 1);
        }
    }
    return crc;
}

std::vector<std::uint8_t> memoryFrame(std::uint16_t from, std::span<const std::uint8_t> bytes) {
    std::vector<std::uint8_t> frame(kMemoryFrameOverhead + bytes.size());
    std::copy(kMemoryFrameMagic.begin(), kMemoryFrameMagic.end(), frame.begin());
    writeWord(frame, 3, from);
    writeWord(frame, 5, static_cast<std::uint16_t>(bytes.size()));
    std::copy(bytes.begin(), bytes.end(), frame.begin() + 7);
    const std::size_t end = frame.size() - 2;
    const std::uint16_t crc = crc16Ccitt(std::span(frame).subspan(3, end - 3));
    frame[end] = static_cast<std::uint8_t>(crc >> 8);
    frame[end + 1] = static_cast<std::uint8_t>(crc & 0xFF);
    return frame;
}

std::variant<std::vector<std::uint8_t>, Error> readMemoryFrame(std::span<const std::uint8_t> frame,
                                                               std::uint16_t from,
                                                               std::uint16_t count,
                                                               std::string_view subject) {
    const auto malformed = [&](std::string detail) {
        return Error{ErrorKind::Malformed, 0, std::string(subject), std::move(detail)};
    };
    const std::size_t size = memoryFrameSize(count);
    if (frame.size() != size) {
        return malformed("the KC sent " + std::to_string(frame.size()) + " bytes where " +
                         std::to_string(size) + " were due");
    }
    if (!std::equal(kMemoryFrameMagic.begin(), kMemoryFrameMagic.end(), frame.begin())) {
        return malformed("what the KC sent does not start as the reading routine's answer does");
    }
    if (readWord(frame, 3) != from || readWord(frame, 5) != count) {
        return malformed("the KC sent " + hexWord(readWord(frame, 5)) + "h bytes from " +
                         hexWord(readWord(frame, 3)) + "h, not the " + hexWord(count) + "h from " +
                         hexWord(from) + "h asked for");
    }
    const auto body = frame.subspan(3, size - 5);
    const auto crc = static_cast<std::uint16_t>(frame[size - 2] << 8 | frame[size - 1]);
    if (crc16Ccitt(body) != crc) {
        return Error{ErrorKind::BadChecksum, 0, std::string(subject),
                     "the bytes the KC sent do not agree with their checksum (the line "
                     "garbled them)"};
    }
    const auto data = body.subspan(4);
    return std::vector<std::uint8_t>(data.begin(), data.end());
}

}  // namespace kc

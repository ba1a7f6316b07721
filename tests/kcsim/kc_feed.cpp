#include "kc_feed.h"

#include <algorithm>

namespace kcsim::testing {

Bytes keys(std::string_view text) {
    return Bytes(text.begin(), text.end());
}

Bytes memoryWrite(std::uint16_t address, const Bytes& bytes) {
    Bytes out(kc::kMemoryWriteHeaderSize + bytes.size());
    out[0] = kc::kEscape;
    out[1] = kc::kMemoryWrite;
    kc::writeWord(out, 2, address);
    kc::writeWord(out, 4, static_cast<std::uint16_t>(bytes.size()));
    std::copy(bytes.begin(), bytes.end(), out.begin() + kc::kMemoryWriteHeaderSize);
    return out;
}

Bytes startAt(std::uint16_t address) {
    Bytes out{kc::kEscape, kc::kStartProgram, 0, 0};
    kc::writeWord(out, 2, address);
    return out;
}

Bytes endPointers(std::uint16_t end) {
    Bytes words(6);
    for (std::size_t at = 0; at < words.size(); at += 2) {
        kc::writeWord(words, at, end);
    }
    return words;
}

std::string feed(VirtualKc& kc, const std::vector<Bytes>& pieces) {
    std::string out;
    Clock::time_point at{};
    for (const Bytes& bytes : pieces) {
        for (const std::uint8_t byte : bytes) {
            kc.take(byte, at += std::chrono::seconds(1), out);
        }
    }
    return out;
}

}  // namespace kcsim::testing

#include "memory_write.h"

#include <numeric>
#include <utility>

namespace kcsim {

std::uint16_t Upload::checksum() const {
    return static_cast<std::uint16_t>(std::accumulate(bytes.begin(), bytes.end(), 0u));
}

WriteEvent MemoryWrite::take(std::uint8_t byte) {
    WriteEvent event;
    switch (state_) {
        case State::AfterEscape:
            if (byte == kc::kMemoryWrite) {
                state_ = State::Header;
                headerBytes_ = 0;
                event.step = WriteStep::T;
                return event;
            }
            event.strayEscape = true;
            state_ = State::Keyboard;
            [[fallthrough]];
        case State::Keyboard:
            if (byte == kc::kEscape) {
                state_ = State::AfterEscape;
                event.step = WriteStep::Escape;
            }
            return event;
        case State::Header:
            event.step = WriteStep::Header;
            header_[headerBytes_++] = byte;
            if (headerBytes_ == header_.size()) {
                upload_ = Upload{};
                upload_.address = kc::readWord(header_, 0);
                upload_.length = kc::readWord(header_, 2);
                event.uploadStarted = true;
                event.uploadEnded = upload_.length == 0;
                state_ = event.uploadEnded ? State::Keyboard : State::Data;
            }
            return event;
        case State::Data: {
            event.step = WriteStep::Data;
            const auto address = static_cast<std::uint16_t>(upload_.address + upload_.bytes.size());
            upload_.bytes.push_back(byte);
            if (address >= kc::kRomStart) {
                event.intoRom = true;
                ++upload_.romBytes;
            } else {
                memory_[address] = byte;
            }
            if (upload_.complete()) {
                event.uploadEnded = true;
                state_ = State::Keyboard;
            }
            return event;
        }
    }
    return event;
}

MemoryWrite::Phase MemoryWrite::abandon() {
    return std::exchange(state_, State::Keyboard);
}

}  // namespace kcsim

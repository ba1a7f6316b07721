#include "memory_write.h"

#include <numeric>
#include <utility>

namespace kcsim {

std::uint16_t Upload::checksum() const {
    return static_cast<std::uint16_t>(std::accumulate(bytes.begin(), bytes.end(), 0u));
}

bool storeByte(MemoryWrite::Memory& memory, std::uint16_t address, std::uint8_t byte) {
    if (address >= kc::kRomStart) {
        return false;
    }
    memory[address] = byte;
    return true;
}

WriteEvent MemoryWrite::take(std::uint8_t byte) {
    WriteEvent event;
    switch (state_) {
        case State::Idle:
            if (byte == kc::kEscape) {
                state_ = State::AfterEscape;
                event.step = WriteStep::Escape;
            }
            return event;
        case State::AfterEscape:
            headerBytes_ = 0;
            if (byte == kc::kMemoryWrite) {
                state_ = State::Header;
                event.step = WriteStep::T;
            } else if (byte == kc::kStartProgram) {
                state_ = State::Start;
                event.step = WriteStep::U;
            } else {
                state_ = State::Idle;
                event.step = WriteStep::Ignored;
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
                state_ = event.uploadEnded ? State::Idle : State::Data;
            }
            return event;
        case State::Data: {
            event.step = WriteStep::Data;
            const auto address = static_cast<std::uint16_t>(upload_.address + upload_.bytes.size());
            upload_.bytes.push_back(byte);
            if (!storeByte(memory_, address, byte)) {
                event.intoRom = true;
                ++upload_.romBytes;
            }
            if (upload_.complete()) {
                event.uploadEnded = true;
                state_ = State::Idle;
            }
            return event;
        }
        case State::Start:
            event.step = WriteStep::Start;
            header_[headerBytes_++] = byte;
            if (headerBytes_ == 2) {
                event.start = kc::readWord(header_, 0);
                state_ = State::Idle;
            }
            return event;
    }
    return event;
}

MemoryWrite::Phase MemoryWrite::abandon() {
    return std::exchange(state_, State::Idle);
}

}  // namespace kcsim

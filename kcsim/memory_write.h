// The KC's memory write over the line, and the 64 KiB memory it fills.
//
// ESC (0x1B) breaks into whatever the KC is doing; when the next byte is T
// (0x54), four header bytes follow, address and length, each least
// significant byte first, then exactly that many bytes, which go into memory
// from the address on (wrapping at FFFF). Bytes meant for the ROM, E000 and
// up, are counted and kept in the upload's record but not stored, as the
// KC's ROM would not take them. An ESC followed by anything but T was a
// keystroke after all; the byte after it is taken afresh. Inside the data
// every byte is data, ESC and carriage return included.
#pragma once

#include <array>
#include <cstdint>
#include <vector>

#include "kc85.h"

namespace kcsim {

enum class WriteStep {
    Keystroke,  // not part of a memory write
    Escape,     // ESC, held until the next byte shows what it was
    T,          // the T after an ESC
    Header,     // address or length
    Data,       // a byte of the image
};

struct Upload {
    std::uint16_t address = 0;
    std::uint16_t length = 0;
    std::vector<std::uint8_t> bytes;  // what arrived so far, ROM bytes included
    std::uint32_t romBytes = 0;

    bool complete() const { return bytes.size() == length; }
    // Sum of the bytes so far, modulo 65536.
    std::uint16_t checksum() const;
};

struct WriteEvent {
    WriteStep step = WriteStep::Keystroke;
    bool strayEscape = false;    // the ESC held before this byte was a keystroke
    bool uploadStarted = false;  // this byte completed the header
    bool uploadEnded = false;    // this byte completed the upload (at once for length 0)
    bool intoRom = false;        // this data byte was meant for the ROM
};

class MemoryWrite {
  public:
    using Memory = std::array<std::uint8_t, kc::kMemorySize>;

    // Takes the next byte from the line.
    WriteEvent take(std::uint8_t byte);
    enum class Phase { Keyboard, AfterEscape, Header, Data };

    // Back to the keyboard, giving up a memory write whose bytes stopped
    // coming; returns the phase it was in.
    Phase abandon();

    Phase phase() const { return state_; }
    // The upload running or the one that ended last.
    const Upload& upload() const { return upload_; }
    const Memory& memory() const { return memory_; }

  private:
    using State = Phase;

    State state_ = State::Keyboard;
    std::array<std::uint8_t, 4> header_{};
    std::size_t headerBytes_ = 0;
    Upload upload_;
    Memory memory_{};
};

}  // namespace kcsim

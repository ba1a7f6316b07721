// What CAOS's command state takes from the line, and the 64 KiB memory it
// fills.
//
// In the command state (after power-on or RESET) CAOS reads the line for
// ESC (0x1B) and the command byte after it. T (0x54): four header bytes
// follow, address and length, each least significant byte first, then
// exactly that many bytes, which go into memory from the address on (wrapping
// at FFFF). U (0x55): an address follows, and CAOS calls the code there. Any
// other command byte is ignored, and so, with it, is the ESC. Bytes meant for
// the ROM, E000 and up, are counted and kept in the upload's record but not
// stored, as the KC's ROM would not take them. Inside an upload's data every
// byte is data, ESC and carriage return included. A byte outside these
// commands is the caller's: a carriage return, or a byte CAOS discards.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <vector>

#include "kc85.h"

namespace kcsim {

enum class WriteStep {
    Outside,  // not part of an ESC command
    Escape,   // ESC, held until the next byte shows what it was
    T,        // the T after an ESC
    U,        // the U after an ESC
    Ignored,  // the byte after an ESC, naming no command
    Header,   // address or length of an upload
    Data,     // a byte of the image
    Start,    // a byte of the address ESC U calls
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
    WriteStep step = WriteStep::Outside;
    bool uploadStarted = false;          // this byte completed the header
    bool uploadEnded = false;            // this byte completed the upload (at once for length 0)
    bool intoRom = false;                // this data byte was meant for the ROM
    std::optional<std::uint16_t> start;  // this byte completed ESC U's address
};

class MemoryWrite {
  public:
    using Memory = std::array<std::uint8_t, kc::kMemorySize>;

    // Takes the next byte from the line.
    WriteEvent take(std::uint8_t byte);
    enum class Phase { Idle, AfterEscape, Header, Data, Start };

    // Back to idle, giving up a command whose bytes stopped coming; returns
    // the phase it was in.
    Phase abandon();

    Phase phase() const { return state_; }
    // The upload running or the one that ended last.
    const Upload& upload() const { return upload_; }
    const Memory& memory() const { return memory_; }
    // For what else writes the KC's memory: typed commands, code ESC U runs.
    Memory& memory() { return memory_; }

  private:
    using State = Phase;

    State state_ = State::Idle;
    std::array<std::uint8_t, 4> header_{};
    std::size_t headerBytes_ = 0;
    Upload upload_;
    Memory memory_{};
};

// Stores the byte unless the address lies in the ROM; false then.
bool storeByte(MemoryWrite::Memory& memory, std::uint16_t address, std::uint8_t byte);

}  // namespace kcsim

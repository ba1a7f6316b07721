// ESC U: the code at an address, run on a Z80 over kcsim's memory.
//
// The code ESC U starts is, in practice, what the sender uploaded just
// before: the routine that sends the KC's memory back (kc/memory_sender.h).
// kcsim runs its real bytes on a Z80 core (libz80ex) rather than answering
// as the routine is meant to, so a fault in the routine the sender really
// uploads, or in where and how it is uploaded and started, shows here as it
// would on a KC, not hidden behind an imitation of it.
//
// The Z80 reads and writes kcsim's 64 KiB (writes from E000h up, the ROM,
// are dropped). Of the ports it sees channel B of the V.24 module's SIO, by
// the low byte of the port address, as the KC's decoder does: an OUT to 09h
// sends the byte on the line; control port 0Bh answers RR0 with the transmit
// buffer empty (bit 2), and after a 1 written to it (the pointer to RR1) RR1
// with all sent (bit 0). Every other port reads FFh. The line never holds the
// Z80 back: its bytes are paced out afterwards, as the SIO would send them.
//
// A return address is pushed before the call; the call ends when the code
// returns to it. kcsim has no image of CAOS's ROM, so code that jumps into
// the ROM (to call a CAOS routine, say) is stopped there; and code that
// neither returns nor reaches the ROM is stopped after a bound of T-states,
// where a real KC would hang until RESET.
#pragma once

#include <cstdint>
#include <vector>

#include "memory_write.h"

namespace kcsim {

// About a minute of the KC's 1.77 MHz; the memory sender's longest run, all
// 64 KiB, takes less than a quarter of it.
inline constexpr std::uint64_t kCallLimit = 100'000'000;

struct Call {
    enum class End {
        Returned,  // the code returned to its caller
        IntoRom,   // it jumped into the ROM, at `at`
        Unended,   // it neither returned nor reached the ROM within the bound
    };
    End end = End::Returned;
    std::uint16_t at = 0;            // where the code was when it stopped
    std::vector<std::uint8_t> sent;  // what it sent on the line, in order
    std::uint64_t tStates = 0;
};

// Calls the code at `address` as CAOS's ESC U does. Cannot fail: how the
// call ended is in its result.
Call callCode(MemoryWrite::Memory& memory, std::uint16_t address, std::uint64_t limit = kCallLimit);

}  // namespace kcsim

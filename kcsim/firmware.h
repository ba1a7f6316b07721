// What CAOS and BASIC do with a line typed over the line, as far as a sender
// meets it: where the KC is (the CAOS prompt, MODIFY, BASIC's cold start
// asking MEMORY END, BASIC's prompt), the commands that move it, the program
// BASIC keeps, and LIST#3, which answers on the line.
//
// The KC takes ESC T and ESC U only in CAOS's command state, which is no more
// than the receive routine in CAOS's interrupt vector at 01E2h: FAE7h after
// power-on and RESET, FB5Ah (the keyboard) once a carriage return came. So
// kcsim keeps the state where the KC does, in its memory, and a typed
// DOKE 482,-1305 or MODIFY 1E2 with E7 FA. gives it back as on the KC.
//
// Lines are read as the KC reads them at their carriage return. At the CAOS
// prompt: BASIC, REBASIC and MODIFY with a hex address, in capitals (CAOS's
// words are written so). In MODIFY: hex bytes written from that address on,
// a point ending MODIFY. In BASIC: a line starting with a number is stored
// (basic_memory.h); any other is tokenised as BASIC does, so capitals and
// blanks matter as they do there, and its statements, split at colons, run:
// NEW, BYE, DOKE with whole numbers, LIST#3 with a name. Anything else does
// nothing here, as most of it does nothing on the line on a KC.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "memory_write.h"

namespace kcsim {

inline constexpr std::uint16_t kReceiveVector = 0x01E2;
inline constexpr std::uint16_t kCommandStateRoutine = 0xFAE7;
inline constexpr std::uint16_t kKeyboardRoutine = 0xFB5A;

// True when CAOS's receive vector holds the command state's routine.
bool inCommandState(const MemoryWrite::Memory& memory);
void setReceiveRoutine(MemoryWrite::Memory& memory, std::uint16_t routine);

enum class Place { CaosPrompt, Modify, MemoryEnd, Basic };

class Firmware {
  public:
    // Takes a line typed in the keyboard mode (`keys`, without its carriage
    // return), changing the memory and the place as CAOS or BASIC would.
    // Appends a line to `out` for each change of place ("  = BASIC ...") and
    // for a LIST#3, and returns what the KC sends on the line for the line:
    // nothing but for LIST#3. Cannot fail: a line the KC refuses does nothing.
    std::vector<std::uint8_t> takeLine(std::string_view keys, MemoryWrite::Memory& memory,
                                       std::string& out);
    // RESET: the CAOS prompt.
    void reset() { place_ = Place::CaosPrompt; }
    Place place() const { return place_; }

  private:
    void caosLine(std::string_view keys, std::string& out);
    void modifyLine(std::string_view keys, MemoryWrite::Memory& memory, std::string& out);
    std::vector<std::uint8_t> basicLine(std::string_view keys, MemoryWrite::Memory& memory,
                                        std::string& out);

    Place place_ = Place::CaosPrompt;
    std::uint16_t modifyAt_ = 0;
};

}  // namespace kcsim

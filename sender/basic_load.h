// Loading a BASIC program into HC-BASIC's memory at the line's speed.
//
// Typing a listing makes BASIC store every line itself, which takes longer
// the longer the program grows; a memory write (ESC T) puts the program's
// bytes where BASIC keeps them at 120 bytes a second. But CAOS takes ESC T
// only in its command state, BASIC reads its keys in CAOS's keyboard mode,
// and nothing on the line tells which of the two the KC is in. So the load
// types its way into a known state first, by keys that do no harm in any of
// the states a user leaves the KC in (at the CAOS prompt after power-on or
// RESET, at the CAOS prompt after typed commands, in BASIC at its prompt):
//
//  1. CR: the command state switches to the keyboard; at a prompt it is an
//     empty line.
//  2. "BASIC" CR: at the CAOS prompt BASIC's cold start, which asks for
//     MEMORY END; in BASIC a syntax error and nothing else.
//  3. CR: all memory for BASIC, the cold start's default, then about three
//     seconds of memory test; in BASIC an empty line.
//  4. "DOKE 482,-1305:NEW" CR: the command state's receive routine (FAE7h)
//     back into CAOS's vector at 01E2h, then NEW clears the program there,
//     its variables and its protection.
//  5. ESC T of the program to 0401h, then of BASIC's three end pointers
//     (03D7h), then, for a protected program, of the protection flag.
//  6. CR, which the command state takes as the switch to the keyboard: BASIC
//     waits at its prompt with the program, LIST lists it and RUN runs it.
//
// Every pause was measured against the KC 85/4's firmware and carries half
// again as margin; a key that arrives while CAOS or BASIC is busy is lost,
// and nothing on the line says so. The KC does not answer: that BASIC was
// reached and the program arrived is assumed, not seen.
#pragma once

#include <cstddef>
#include <optional>
#include <string_view>

#include "basic_program.h"
#include "error.h"
#include "pacer.h"
#include "sending.h"
#include "serial_link.h"
#include "transfer_plan.h"

namespace morvale {

// While CAOS takes an upload its video memory lies from 8000h up, where
// BASIC keeps the rest of its program: a program must end below it.
inline constexpr std::uint16_t kBasicLoadLimit = 0x8000;
inline constexpr std::size_t kLargestLoadableProgram = kBasicLoadLimit - kc::kBasicProgramStart;

// Why a program of imageSize bytes (closing link included) cannot be loaded
// over the line (error TooLong, in words); nothing when it can.
std::optional<kc::Error> basicLoadRefusal(std::size_t imageSize);

// Loads the program into BASIC as above, protected when asked (LIST then
// refuses, as for a protected file from tape). A program too long to load
// or a port that does not open sends nothing. A stop asked for in a pause
// ends the load there (stopped); during the program's upload it is taken
// between pieces, and the KC then waits for the rest of its bytes until it is
// reset. A device that fails ends it (DeviceLost, told at once); a typed
// character the KC holds up longer than kHoldLimit ends it too (LineHeld).
[[nodiscard]] SendReport loadBasicProgram(SerialLink& link, Pacer& pacer, std::string_view portName,
                                          const kc::BasicProgram& program, bool isProtected,
                                          Progress* progress = nullptr);

// The bytes and pauses of a load of a program of imageSize bytes.
TransferPlan planBasicLoad(std::size_t imageSize, bool isProtected);

}  // namespace morvale

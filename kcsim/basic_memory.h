// HC-BASIC's program as it lies in kcsim's memory, and what BASIC's own
// commands do to it.
//
// The program lies from 0401h up to the end pointer at 03D7h, as
// kc/basic_program.h describes it. A program typed into kcsim's BASIC, one an
// upload wrote, and the one kcsim shows and lists are read and written here
// alone, through kc::readProgramImage and kc::programImage, so the three are
// one and the same. A line is stored as BASIC stores it: the program read,
// the line put in its place by number, the whole written back with its
// links, and the three end pointers (program, variables, arrays) set past
// it, as BASIC's CLEAR after a stored line does.
#pragma once

#include <string_view>
#include <variant>

#include "basic_program.h"
#include "memory_write.h"

namespace kcsim {

// The program the memory holds. Fails (with kc::readProgramImage's errors,
// naming the range read) when the bytes there are no program.
[[nodiscard]] std::variant<kc::BasicProgram, kc::Error> readBasicProgram(
    const MemoryWrite::Memory& memory);

// What BASIC's cold start leaves: an empty, unprotected program from 0401h.
void coldStartBasic(MemoryWrite::Memory& memory);

// NEW: the program emptied, its protection gone.
void clearBasicProgram(MemoryWrite::Memory& memory);

// Stores a typed line that starts with its number, as BASIC's line entry
// does: it replaces the line of that number or goes in by its number; a
// number alone deletes that line. Memory that held no program counts as an
// empty one. False when BASIC would store nothing: a line it refuses
// (kc::programFromListing's rules) or a program that no longer fits.
bool enterBasicLine(MemoryWrite::Memory& memory, std::string_view keys);

// True when the program is protected: LIST refuses it, BYE erases it.
bool basicProgramProtected(const MemoryWrite::Memory& memory);

}  // namespace kcsim

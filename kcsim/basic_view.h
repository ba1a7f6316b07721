// The BASIC program a memory write delivered, shown as LIST would print it.
//
// The sender loads a BASIC program by writing its image to 0401h and then
// BASIC's end pointer at 03D7h (basic_program.h); the KC itself shows
// nothing of either. So once an upload has written that pointer, kcsim reads
// the program from its memory, from 0401h up to where the pointer points,
// and shows what BASIC would list: a heading with the count of lines and
// bytes, then the lines, printable Latin-1 as UTF-8 and control bytes in hex
// as the screen shows them. Memory that holds no program there gets one line
// saying why.
#pragma once

#include <string>

#include "memory_write.h"

namespace kcsim {

// True when the bytes the upload has written so far include both bytes of
// BASIC's end pointer.
bool writesBasicEnd(const Upload& upload);

// Appends the program BASIC holds in `memory`, each line ending in a line
// end. False when the memory there holds no program; the one line appended
// then says why.
bool showBasicProgram(const MemoryWrite::Memory& memory, std::string& out);

}  // namespace kcsim

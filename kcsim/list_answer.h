// What BASIC sends on the line for LIST#3: its program as text, framed as
// kc/list_output.h reads it.
//
// An opening CR LF, each line as LIST prints it followed by CR LF, ten zero
// bytes after every CR LF (time for a printer's carriage), and 03h when
// BASIC closes the channel. The name given to LIST#3 is not sent.
#pragma once

#include <cstdint>
#include <vector>

#include "basic_program.h"

namespace kcsim {

// The bytes LIST#3 sends for the program, an empty one included. Cannot
// fail.
std::vector<std::uint8_t> listAnswer(const kc::BasicProgram& program);

}  // namespace kcsim

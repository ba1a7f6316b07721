// The report of a failed conversion: a line on standard error for the user
// of a shell, the fixed message on standard output, then a wait for one line
// of input so that a console window opened just for the converter stays
// readable.
#pragma once

#include <string_view>

#include "error.h"

namespace kccstrip {

// The exact bytes written to standard output on failure.
inline constexpr std::string_view kFailureMessage = "Konvertieren fehlgeschlagen!\r\n";

// Writes "kccstrip: FILE: REASON" on standard error (error.describe(), so
// "kccstrip: REASON" where no file is concerned), then kFailureMessage on
// standard output, then waits as waitForLine(0) does. Write errors are
// ignored: there is nowhere left to report them.
void reportFailure(const kc::Error& error);

// Waits for one line on `fd` and discards it. At a terminal, switched to line
// mode with echo for the wait, that is until Enter. From a file or pipe, up
// to the first line end (CR, LF or the pair CR LF), the end of input, or 4096
// bytes, whichever comes first; nothing behind the line end is consumed.
// The LF of a pair is taken only when it is there already with its CR, so
// that a writer that ends its line with a lone CR and waits is not waited
// for in turn: a pair written at once, as a line end is, always arrives
// whole, since pipes deliver a write of up to PIPE_BUF bytes in one piece.
// Returns at once when `fd` cannot be read.
void waitForLine(int fd);

}  // namespace kccstrip

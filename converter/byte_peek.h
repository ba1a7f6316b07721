// Looking at the next byte of an input without taking it from the input.
//
// The way depends on the kind of file: a regular file is read at its current
// offset without moving it; a pipe or FIFO is duplicated into a private pipe
// with tee(2), which leaves the original's bytes in place; a socket is read
// with MSG_PEEK. Terminals and other devices cannot give a byte back, so
// they are never looked into.
#pragma once

#include <optional>

namespace kccstrip {

// The byte that the next read of `fd` would return, if one is there now:
// nothing when the input has none at the moment (an empty pipe whose writer
// is still open), is at its end, cannot be looked into, or fails. Never
// blocks and never consumes anything.
std::optional<char> peekByteNow(int fd);

}  // namespace kccstrip

// Making the standard streams safe to use before anything else is opened.
#pragma once

namespace kccstrip {

// Opens /dev/null on any of descriptors 0, 1 and 2 that is closed, so that no
// file opened later takes one of their numbers and receives the message; a
// closed standard input then reads as empty. Ignores SIGPIPE, so that a
// reader that went away ends the report's write, not the process, and the
// exit status still tells of the failure.
void prepareStandardStreams();

}  // namespace kccstrip

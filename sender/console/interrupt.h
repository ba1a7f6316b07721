// Ctrl+C for kcsend. The first one asks the running operation to stop in
// good order (the logic sees it as a click on "Abbruch"); a second one ends
// the program at once with status 130.
#pragma once

namespace morvale::console {

inline constexpr int kInterruptedStatus = 130;

// Installs the handler for SIGINT, without SA_RESTART, so that a blocking
// read returns and can look at interrupted(). False when it cannot.
bool installInterruptHandler();

// True once Ctrl+C has been pressed.
bool interrupted();

// Whether standard error holds an unfinished line (the progress line), which
// the message of the second Ctrl+C must end first.
void setLineOpen(bool open);

}  // namespace morvale::console

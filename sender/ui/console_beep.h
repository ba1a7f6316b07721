// The beep: a 400 Hz tone of 100 ms from the PC speaker where a console
// lets this process drive it, the desktop's bell otherwise.
#pragma once

namespace morvale::ui {

// Starts the tone on the first console that accepts KDMKTONE and returns at
// once; false when none does.
bool consoleTone(int hertz, int milliseconds);

// The tone where possible, else QApplication::beep().
void beep();

}  // namespace morvale::ui

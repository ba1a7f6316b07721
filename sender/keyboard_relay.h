// Working the KC's keyboard from the desktop: the command line is typed into
// the KC character by character, and each key button sends one key code.
#pragma once

#include <cstdint>
#include <optional>

#include "app_state.h"
#include "serial_link.h"
#include "window.h"

namespace morvale {

// The byte a key button (control 3 to 14) sends; nothing for other ids.
std::optional<std::uint8_t> keyCode(int controlId);

// Types the command line into the KC: each character followed by six ticks,
// then a carriage return. The command line is emptied whether or not the
// port opened.
void sendCommandLine(const AppState& state, Window& window, SerialLink& link);

// Sends the key code of a key button, alone. Nothing when the port does not
// open.
void sendKey(const AppState& state, SerialLink& link, int controlId);

// Enables or disables the twelve key buttons, in order 3 to 14.
void setKeyButtonsEnabled(Window& window, bool enabled);

}  // namespace morvale

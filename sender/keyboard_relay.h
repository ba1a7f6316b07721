// Working the KC's keyboard from the desktop: the command line is typed into
// the KC character by character, and each key button sends one key code.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "app_state.h"
#include "serial_link.h"
#include "window.h"

namespace morvale {

// The byte a key button (control 3 to 14) sends; nothing for other ids.
std::optional<std::uint8_t> keyCode(int controlId);

// The caption of a key button (control 3 to 14); empty for other ids.
std::string_view keyCaption(int controlId);

// The capital the command line holds for a byte typed into it: a-z and the
// Latin-1 small letters with a Latin-1 capital (not the division sign 0xF7,
// nor sharp s and y with diaeresis, whose capitals lie outside Latin-1).
std::uint8_t commandLineCapital(std::uint8_t latin1);
std::string commandLineCapitals(std::string_view latin1);

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

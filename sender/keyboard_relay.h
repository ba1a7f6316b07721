// Working the KC's keyboard from the desktop: the command line is typed into
// the KC character by character, and each key button sends one key code.
#pragma once

#include <chrono>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "app_state.h"
#include "diagnostic_sink.h"
#include "held_write.h"
#include "serial_link.h"
#include "window.h"

namespace morvale {

// The byte a key button (control 3 to 14) sends; nothing for other ids.
std::optional<std::uint8_t> keyCode(int controlId);

// Types the command line into the KC: each character followed by six ticks,
// then a carriage return, and empties the command line. A character held up
// by the KC is written again until it leaves; after holdLimit of one hold the
// rest of the command is dropped, with one line to diagnostics. A port that
// does not open sends nothing, keeps the command and shows why at the
// command line.
void sendCommandLine(const AppState& state, Window& window, SerialLink& link,
                     const DiagnosticSink& diagnostics = {},
                     std::chrono::milliseconds holdLimit = kHoldLimit);

// Sends the key code of a key button, alone, waiting through a hold as the
// command line does. A port that does not open sends nothing and shows why
// at the button.
void sendKey(const AppState& state, Window& window, SerialLink& link, int controlId,
             const DiagnosticSink& diagnostics = {},
             std::chrono::milliseconds holdLimit = kHoldLimit);

// The diagnostic line for an operation that gave up waiting for a held line.
std::string holdReport(std::string_view portName, std::chrono::milliseconds limit,
                       std::string_view consequence);

// Shows at the control why the link's last open failed.
void showOpenFailure(Window& window, const SerialLink& link, int controlId);

// Enables or disables the twelve key buttons, in order 3 to 14.
void setKeyButtonsEnabled(Window& window, bool enabled);

}  // namespace morvale

// The window's keyboard controls: the command line is typed into the KC on
// Return, and each key button sends its key code (typing.h does both).
#pragma once

#include <chrono>
#include <cstdint>
#include <optional>
#include <string_view>

#include "app_state.h"
#include "diagnostic_sink.h"
#include "sending.h"
#include "serial_link.h"
#include "typing.h"
#include "window.h"

namespace morvale {

// The byte a key button (control 3 to 14) sends; nothing for other ids.
std::optional<std::uint8_t> keyCode(int controlId);

// The caption of a key button (control 3 to 14); empty for other ids.
std::string_view keyCaption(int controlId);

// Types the command line into the KC and empties it. A port that does not
// open sends nothing, keeps the command and shows why at the command line;
// a held line given up is one line to diagnostics.
void sendCommandLine(AppState& state, Window& window, SerialLink& link,
                     const DiagnosticSink& diagnostics = {},
                     std::chrono::milliseconds holdLimit = kHoldLimit);

// Sends the key code of a key button. A port that does not open sends
// nothing and shows why at the button.
void sendKey(const AppState& state, Window& window, SerialLink& link, int controlId,
             const DiagnosticSink& diagnostics = {},
             std::chrono::milliseconds holdLimit = kHoldLimit);

// What every operation of the window does with the trouble its report
// names: why the port did not open as a notice at the control used, a held
// line given up as one line to diagnostics.
void showTrouble(Window& window, const SerialLink& link, const SendReport& sent, int controlId,
                 const DiagnosticSink& diagnostics);

// Enables or disables the twelve key buttons, in order 3 to 14.
void setKeyButtonsEnabled(Window& window, bool enabled);

}  // namespace morvale

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

// The caption of a key button (control 3 to 14); empty for other ids.
std::string_view keyCaption(int controlId);

// The capital the command line holds for a byte typed into it: a-z and the
// Latin-1 small letters with a Latin-1 capital (not the division sign 0xF7,
// nor sharp s and y with diaeresis, whose capitals lie outside Latin-1).
std::uint8_t commandLineCapital(std::uint8_t latin1);
std::string commandLineCapitals(std::string_view latin1);

// Types the command line into the KC: each character followed by six ticks,
// then a carriage return, and empties the command line. A character held up
// by the KC is written again until it leaves; after holdLimit of one hold the
// rest of the command is dropped, with one line to diagnostics. A port that
// does not open sends nothing, keeps the command and shows why at the
// command line.
void sendCommandLine(AppState& state, Window& window, SerialLink& link,
                     const DiagnosticSink& diagnostics = {},
                     std::chrono::milliseconds holdLimit = kHoldLimit);

// Types line and a carriage return as the command line is typed; a port
// that does not open sends nothing and shows why at the control noticeAt.
struct TypedLine {
    bool opened = false;  // the port opened
    bool whole = false;   // every character and the carriage return went out
};
[[nodiscard]] TypedLine typeLine(AppState& state, Window& window, SerialLink& link,
                                 std::string_view line, int noticeAt,
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

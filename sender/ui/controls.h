// What the window's operations share about its controls: the key buttons'
// codes and captions, enabling them, and showing the trouble a report names.
#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

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

// What every operation of the window does with the trouble its report
// names: why the port did not open as a notice at the control used, a held
// line given up as one line to diagnostics.
void showTrouble(Window& window, const SerialLink& link, const SendReport& sent, int controlId,
                 const DiagnosticSink& diagnostics);

// The message box for a device that failed while an operation wrote to it.
void showDeviceLost(Window& window);

// The message box for a piece of an upload that did not leave whole.
void showPieceShort(Window& window);

// Enables or disables the twelve key buttons, in order 3 to 14.
void setKeyButtonsEnabled(Window& window, bool enabled);

}  // namespace morvale

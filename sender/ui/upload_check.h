// "Hochladen prüfen": with the item on, a complete upload of an image is
// read back from the KC and compared (memory_dump.h's checkMemory). It is
// off at start, so that an upload puts exactly its own bytes on the line
// unless the user asks for more.
#pragma once

#include <cstdint>
#include <span>

#include "app_state.h"
#include "diagnostic_sink.h"
#include "serial_link.h"
#include "window.h"

namespace morvale {

// The menu item: turns the check on or off and shows it as the item's check
// mark.
void toggleUploadCheck(AppState& state, Window& window);

// Reads image back from address and says the outcome: a notice at the send
// button when the KC holds it, else a message box naming the first address
// that differs, what to do when the KC does not answer, or that an image
// over the routine's own place cannot be checked. While it runs the window
// looks as hearing_look.h says ("Prüfe ..."), and a click on "Abbruch" ends
// it silently; a port that does not open shows why at the send button.
void checkUpload(AppState& state, Window& window, SerialLink& link, std::uint16_t address,
                 std::span<const std::uint8_t> image, const DiagnosticSink& diagnostics = {});

}  // namespace morvale

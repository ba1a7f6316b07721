// Uploading the loaded image into the KC's memory.
//
// On the line: ESC alone, a pause for the KC to stop what it runs, then "T",
// the target address and the length (16 bits each, least significant byte
// first), then the image in pieces of 1024 bytes. The editor shows the
// progress and the marker text again at the end.
#pragma once

#include "app_state.h"
#include "serial_link.h"
#include "window.h"

namespace morvale {

// The KC's ROM starts here; nothing may be written from it on.
inline constexpr std::int32_t kRomStart = 0xE000;

// Asks for the target address (preset to the load address) and uploads the
// data buffer's dataLength bytes there. A cancelled prompt, a target that is
// negative, in the ROM or would reach into it (refused with a warning), or a
// port that does not open send nothing. The data buffer, data length and load
// address stay as they are.
void uploadImage(AppState& state, Window& window, SerialLink& link);

}  // namespace morvale

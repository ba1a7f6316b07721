// Uploading the loaded image into the KC's memory.
//
// On the line: ESC alone, a pause for the KC to stop what it runs, then "T",
// the target address and the length (16 bits each, least significant byte
// first), then the image in pieces of 1024 bytes. The editor shows the
// progress and the marker text again at the end.
#pragma once

#include "app_state.h"
#include "kc85.h"
#include "serial_link.h"
#include "transfer_plan.h"
#include "window.h"

namespace morvale {

// The KC's ROM starts here; nothing may be written from it on.
using kc::kRomStart;

// Asks for the target address (preset to the load address) and uploads the
// data buffer's dataLength bytes there. A cancelled prompt, a target that is
// negative, in the ROM or would reach into it (refused with a warning), or a
// port that does not open send nothing. The data buffer, data length and load
// address stay as they are.
// A click on the send button during the ticks before a piece stops the
// upload there; the pieces written so far stay written.
void uploadImage(AppState& state, Window& window, SerialLink& link);

// The bytes and pauses an upload of dataLength bytes puts on the line when
// it runs to its end.
TransferPlan planUpload(std::int32_t dataLength);

}  // namespace morvale

// Uploading the loaded image into the KC's memory.
//
// On the line: ESC alone, a pause for the KC to stop what it runs, then "T",
// the target address and the length (16 bits each, least significant byte
// first), then the image in pieces of 1024 bytes. The editor shows the
// progress and the marker text again at the end. "U" and an address in
// place of the "T" start a program.
//
// CAOS takes ESC T and ESC U only in its command state, which it has from
// power-on or a reset until the first carriage return arrives: that switches
// it to its keyboard over V.24, where every byte, ESC included, is a key. No
// byte on the line switches it back; a reset does, and so does writing the
// command state's receive routine (E7 FA) back into the vector at 01E2h,
// which can be typed at the CAOS prompt.
#pragma once

#include "app_state.h"
#include "kc85.h"
#include "serial_link.h"
#include "transfer_plan.h"
#include "window.h"

namespace morvale {

// The KC's ROM starts here; nothing may be written from it on.
using kc::kRomStart;

// When a carriage return has gone out since the last upload, first tells
// the user to reset the KC (in a message box), then asks for the target
// address (preset to the load address) and uploads the
// data buffer's dataLength bytes there. A cancelled prompt, a target that is
// negative, in the ROM or would reach into it (refused with a warning), or a
// port that does not open send nothing. The data buffer, data length and load
// address stay as they are.
// A click on the send button during the ticks before a piece stops the
// upload there; the pieces written so far stay written.
void uploadImage(AppState& state, Window& window, SerialLink& link);

// Types MODIFY 1E2 and E7 FA, which gives CAOS its command state back; only
// at the CAOS prompt (in BASIC or a program the KC takes them as anything
// else). False when the port did not open or a line did not go out whole.
[[nodiscard]] bool restoreCommandState(AppState& state, Window& window, SerialLink& link);

// Starts the program at address: ESC, the pause, then "U" and the address.
// False, sending nothing, for an address outside 0 to FFFF or a port that
// does not open; false too when the device failed.
[[nodiscard]] bool startProgram(AppState& state, Window& window, SerialLink& link,
                                std::int32_t address);

// The bytes and pauses an upload of dataLength bytes puts on the line when
// it runs to its end.
TransferPlan planUpload(std::int32_t dataLength);

}  // namespace morvale

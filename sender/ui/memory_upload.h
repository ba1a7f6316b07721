// The send button with an image loaded: the user is asked for the target
// address, and the data buffer is uploaded there (upload.h). The editor shows
// the progress and the marker text again at the end.
#pragma once

#include <string>
#include <string_view>

#include "app_state.h"
#include "serial_link.h"
#include "upload.h"
#include "window.h"

namespace morvale {

// When a carriage return has gone out since the last upload, tells the user
// in a message box to reset the KC first, which would otherwise take `what`
// ("das Abbild", in the accusative) as keys.
void warnIfKcTakesKeys(const AppState& state, Window& window, std::string_view what);

// When a carriage return has gone out since the last upload, first tells
// the user to reset the KC (in a message box), then asks for the target
// address (preset to the load address) and uploads the data buffer's
// dataLength bytes there, the ESC T header kept in the header buffer. A
// cancelled prompt, a target that is negative, in the ROM or would reach
// into it (refused with a warning), or a port that does not open send
// nothing. The data buffer, data length and load address stay as they are.
// With the check on (upload_check.h), a complete upload is then read back.
void uploadImage(AppState& state, Window& window, SerialLink& link);

// What the editor shows while the piece goes out ("Sende Block 2 von 3 ...").
std::string pieceLabel(const UploadPiece& piece);

}  // namespace morvale

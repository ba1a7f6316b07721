// The send button with a listing in the editor: it is typed into the KC
// (listing.h), the editor red and the send button captioned "Abbruch" while
// it runs, which stops it.
#pragma once

#include <string_view>
#include <vector>

#include "app_state.h"
#include "diagnostic_sink.h"
#include "listing.h"
#include "serial_link.h"
#include "window.h"

namespace morvale {

// Sends the editor's text with the state's pacing. An empty text only
// beeps; a port that does not open sends nothing and shows why at the send
// button. Lines longer than BASIC keeps are named in a notice at the send
// button. A device that fails while sending is reported in a message box.
// A closing line end given up is one line to diagnostics.
void sendText(AppState& state, Window& window, SerialLink& link, std::string_view editorText,
              const DiagnosticSink& diagnostics = {});

}  // namespace morvale

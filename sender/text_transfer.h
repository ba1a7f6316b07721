// Typing a text into the KC: the editor's text goes out character by
// character with pauses, long ones at line ends and every 40 characters, so
// that the KC's BASIC keeps up. The send button, captioned "Abbruch" while
// it runs, aborts it.
#pragma once

#include <string_view>

#include "app_state.h"
#include "diagnostic_sink.h"
#include "serial_link.h"
#include "window.h"

namespace morvale {

// Sends the text. An empty text only beeps; a port that does not open sends
// nothing and shows why at the send button. A character the KC holds up is
// written again until it leaves or the user aborts. A device that fails
// while sending is reported in a message box and ends the transfer as an
// abort does, without the abort's line end. The closing line ends wait for a
// held line as the command line does, and a click gives them up.
void sendText(AppState& state, Window& window, SerialLink& link, std::string_view editorText,
              const DiagnosticSink& diagnostics = {});

}  // namespace morvale

// Typing a text into the KC: the editor's text goes out character by
// character with pauses, long ones at line ends and every 40 characters, so
// that the KC's BASIC keeps up. The send button, captioned "Abbruch" while
// it runs, aborts it.
#pragma once

#include <string_view>

#include "app_state.h"
#include "serial_link.h"
#include "transfer_plan.h"
#include "window.h"

namespace morvale {

// Sends the text. An empty text only beeps; a port that does not open sends
// nothing. A device that fails while sending ends the transfer as an abort.
void sendText(AppState& state, Window& window, SerialLink& link, std::string_view editorText);

// The bytes and pauses sendText puts on the line for this text when it runs
// to its end; nothing for an empty text.
TransferPlan planText(std::string_view editorText);

}  // namespace morvale

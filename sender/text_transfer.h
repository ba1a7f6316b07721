// Typing a text into the KC: the editor's text goes out character by
// character with pauses, long ones at line ends and every 40 characters, so
// that the KC's BASIC keeps up (text_pacing.h). The send button, captioned
// "Abbruch" while it runs, aborts it.
#pragma once

#include <string_view>
#include <vector>

#include "app_state.h"
#include "diagnostic_sink.h"
#include "serial_link.h"
#include "text_pacing.h"
#include "transfer_plan.h"
#include "window.h"

namespace morvale {

// Sends the text with the state's pacing. An empty text only beeps; a port that does not open sends
// nothing and shows why at the send button. A character the KC holds up is
// written again until it leaves or the user aborts. A device that fails
// while sending is reported in a message box and ends the transfer as an
// abort does, without the abort's line end. The closing line ends wait for a
// held line as the command line does, and a click gives them up.
void sendText(AppState& state, Window& window, SerialLink& link, std::string_view editorText,
              const DiagnosticSink& diagnostics = {});

// The bytes and pauses sendText puts on the line for this text when it runs
// to its end; nothing for an empty text. A line the KC holds adds ticks but
// no bytes: the transfer then takes longer than planned, never shorter.
// HC-BASIC keeps at most this many characters of a line, its number
// included, and drops the rest.
inline constexpr std::size_t kLongestBasicLine = 72;

// The lines of the text (counted from 1) longer than BASIC keeps. They are
// sent as they are; sendText tells the user once, at the send button.
std::vector<int> overlongLines(std::string_view editorText);

TransferPlan planText(std::string_view editorText, const TextPacing& pacing = {});

}  // namespace morvale

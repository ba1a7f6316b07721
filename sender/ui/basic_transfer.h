// Loading a BASIC program into the KC (basic_load.h) from the window: from
// the send button with a program file or a KCB holding one, and from the
// menu item "Als BASIC-Programm laden" with a listing in the editor.
//
// While the load runs the send button reads "Abbruch" and stays enabled: a
// click on it stops the load between its steps. The command line, the load
// button and the key buttons are disabled, and the editor names the step
// under way; at the end it shows what it held before.
#pragma once

#include "app_state.h"
#include "diagnostic_sink.h"
#include "serial_link.h"
#include "sss.h"
#include "window.h"

namespace morvale {

// Loads file's program into HC-BASIC. A program too long to load over the
// line is refused with a message and sends nothing; a port that does not
// open sends nothing and shows why at the send button. A piece that leaves
// short and a device that fails are told in a message box; a held line given
// up is one line to diagnostics.
void loadIntoBasic(AppState& state, Window& window, SerialLink& link, const kc::BasicFile& file,
                   const DiagnosticSink& diagnostics = {});

// The menu item: loads the editor's listing as the program BASIC would hold
// had it been typed, or, with a marker in the editor, the program kept for
// it. An empty editor, an empty program and a marker with no program kept
// only beep; a line BASIC refuses is named in a message and nothing is sent.
void loadEditorAsBasic(AppState& state, Window& window, SerialLink& link,
                       const DiagnosticSink& diagnostics = {});

}  // namespace morvale

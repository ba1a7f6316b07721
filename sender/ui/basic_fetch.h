// The menu item "BASIC-Programm vom KC holen...": BASIC at its prompt lists
// its program onto the line (basic_save.h), and the window writes it into
// the file the user chose, whole or not at all.
//
// A .sss file gets the program as BASIC stores it (as CSAVE writes it);
// any other name the listing as text, in UTF-8 with "\n" line ends. The
// name LIST#3 is given comes from the file's name.
#pragma once

#include <string_view>

#include "app_state.h"
#include "diagnostic_sink.h"
#include "serial_link.h"
#include "window.h"

namespace morvale {

inline constexpr std::string_view kSaveBasicTitle = "BASIC-Programm speichern";
inline constexpr std::string_view kSaveBasicFilter =
    "BASIC-Listings|*.bas;*.txt|BASIC-Programme|*.sss";

// Asks for the file, then for the program. A cancelled dialog sends
// nothing; a port that does not open shows why at the send button. While it
// runs the window looks as hearing_look.h says, and a click on "Abbruch"
// ends it. Only a listing that came whole is written, with a notice at the
// send button; else a message box says why nothing was written (BASIC not
// at its prompt, the KC fell silent after so many lines, the file not
// writable, a line the .sss cannot take).
void fetchBasicProgram(AppState& state, Window& window, SerialLink& link,
                       const DiagnosticSink& diagnostics = {});

}  // namespace morvale

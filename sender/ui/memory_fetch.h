// The menu item "Speicher vom KC holen...": a range of the KC's memory comes
// back over the line (memory_dump.h) into the file the user chose, whole or
// not at all.
//
// The range is asked with the address prompt, from and to in hexadecimal,
// both included. A .kcc file gets a KCC header (named as the file, load
// address the range's first, end address the one after its last), any other
// name the bytes alone. The routine that sends the memory lives at
// B700h-B774h while it runs, so a range over those addresses gets its bytes
// there, which the user is told before.
#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

#include "app_state.h"
#include "diagnostic_sink.h"
#include "serial_link.h"
#include "window.h"

namespace morvale {

inline constexpr std::string_view kSaveMemoryTitle = "Speicher speichern";
inline constexpr std::string_view kSaveMemoryFilter = "KCC-Dateien|*.kcc|Bin\xE4r-Dateien|*.bin";

// The range the prompts are preset to: the last one fetched; before any,
// the image in the buffers from its load address, or 256 bytes from there
// when none is loaded; never past FFFFh.
MemoryRange presetRange(const AppState& state);

// When a carriage return has gone out since the last upload, first tells the
// user to reset the KC, as an upload does; then asks for the range and the
// file. A cancel sends nothing; an address that is none, or a range that
// ends before it begins, is refused with a message and sends nothing; a port
// that does not open shows why at the send button. While it runs the window
// looks as hearing_look.h says, and a click on "Abbruch" ends it. Only
// memory that came whole is written, with a notice at the send button; else
// a message box says why nothing was written.
void fetchMemory(AppState& state, Window& window, SerialLink& link,
                 const DiagnosticSink& diagnostics = {});

}  // namespace morvale

// The load button: the user picks a file, and it is made ready to send
// (loading.h reads it).
//
// A listing goes into the editor. An image goes into the data buffer, a
// container's header into the header buffer, and the editor shows a marker
// text instead ("BINÄR", "KCC", "KCB"); the send button then uploads the
// image. A BASIC program file (.sss, or a .tap holding one) is kept as a
// program, shown as "SSS" or "TAP"; the send button loads it into BASIC, as
// it does a KCB holding a program at 0401h. The editor's text is the only
// record of what was loaded: a marker typed into the editor sends what is
// kept for it too.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <string_view>

#include "app_state.h"
#include "loading.h"
#include "window.h"

namespace morvale {

inline constexpr std::string_view kLoadDialogTitle = "Laden";
inline constexpr std::string_view kLoadFilter =
    "KCC und KCB-Dateien|*.kcc;*.kcb|Bin\xE4r-Dateien|*.bin|Basic-Quellkodes|*.bas|"
    "Text-Dateien|*.txt|BASIC-Programme|*.sss;*.tap";
inline constexpr std::string_view kRawImageMarker = "BIN\xC4R";
inline constexpr std::string_view kKccMarker = "KCC";
inline constexpr std::string_view kKcbMarker = "KCB";
inline constexpr std::string_view kSssMarker = "SSS";
inline constexpr std::string_view kTapMarker = "TAP";

// True for the three marker texts of an image, compared exactly.
bool isImageMarker(std::string_view editorText);
// True for the two marker texts of a program file, compared exactly.
bool isProgramMarker(std::string_view editorText);

// The BASIC program the marker editorText stands for: the program file's
// for "SSS" and "TAP", the KCB's for "KCB". Null for any other text, and
// when no such program is kept.
const kc::BasicFile* keptProgram(const AppState& state, std::string_view editorText);

// Asks for a file and loads it. A cancelled dialog, a missing, empty or
// unreadable file changes nothing; a raw image too long for the KC, a text
// over 1 MiB, a program longer than BASIC holds and a KC file that is
// damaged or holds no program BASIC runs are refused with a message. After
// the first successful load the window grows.
void loadFile(AppState& state, Window& window);

// Loads the file at path as loadFile does once the dialog has answered; true
// when it was loaded. Nothing changes, and false is returned, when the file
// is missing, empty, unreadable or refused.
[[nodiscard]] bool loadPath(AppState& state, Window& window, const std::string& path);

// Puts a text file's bytes, read elsewhere, into the editor as loading a text
// file does; true when they were taken, false, with the window's message and
// nothing changed, when they are too many.
[[nodiscard]] bool loadTextBytes(Window& window, std::span<const std::uint8_t> bytes);

}  // namespace morvale

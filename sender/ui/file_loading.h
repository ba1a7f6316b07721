// The load button: the user picks a file, and it is made ready to send
// (loading.h reads it).
//
// A listing goes into the editor. An image goes into the data buffer, a
// container's header into the header buffer, and the editor shows a marker
// text instead ("BINÄR", "KCC", "KCB"); the send button then uploads the
// image. The editor's text is the only record of a loaded image: a marker
// typed into the editor uploads the buffer too.
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
    "Text-Dateien|*.txt";
inline constexpr std::string_view kRawImageMarker = "BIN\xC4R";
inline constexpr std::string_view kKccMarker = "KCC";
inline constexpr std::string_view kKcbMarker = "KCB";

// True for the three marker texts, compared exactly.
bool isImageMarker(std::string_view editorText);

// Asks for a file and loads it. A cancelled dialog, a missing, empty or
// unreadable file changes nothing; a raw image too long for the KC and a text
// over 1 MiB are refused with a message. After the first successful load the
// window grows.
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

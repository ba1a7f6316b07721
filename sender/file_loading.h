// The load button: the user picks a file, and it is made ready to send.
//
// A text file goes into the editor. A binary image (raw ".bin", or a KCC/KCB
// container) goes into the data buffer, and the editor shows a marker text
// instead ("BINÄR", "KCC", "KCB"); the send button then uploads the image.
// What kind a file is follows from its name's last four characters alone.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <string_view>

#include "app_state.h"
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
// unreadable file changes nothing; a raw image too long for the KC is
// refused with a message. After the first successful load the window grows.
void loadFile(AppState& state, Window& window);

// Loads the file at path as loadFile does once the dialog has answered; true
// when it was loaded. Nothing changes, and false is returned, when the file
// is missing, empty, unreadable or refused.
bool loadPath(AppState& state, Window& window, const std::string& path);

// Puts a text file's bytes, read elsewhere, into the editor as loading a text
// file does; true when they were taken.
bool loadTextBytes(Window& window, std::span<const std::uint8_t> bytes);

}  // namespace morvale

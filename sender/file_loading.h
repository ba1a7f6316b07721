// The load button: the user picks a file, and it is made ready to send.
//
// A text file goes into the editor. A binary image (raw ".bin", or a KCC/KCB
// container) goes into the data buffer, and the editor shows a marker text
// instead ("BINÄR", "KCC", "KCB"); the send button then uploads the image.
// What kind a file is follows from its name's last four characters alone.
#pragma once

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
// unreadable file changes nothing; a raw image too long for the KC and a text
// over 1 MiB are refused with a message. A text that is UTF-8 is loaded as
// the Latin-1 text it stands for. After the first successful load the window grows.
void loadFile(AppState& state, Window& window);

}  // namespace morvale

#include "file_saving.h"

#include <cerrno>

#include "file_writing.h"

namespace morvale {

namespace {

// The reason by errno: the English detail is not shown in the window.
std::string_view reasonOf(const kc::Error& error) {
    switch (error.error) {
        case EACCES:
        case EPERM:
            return "Keine Berechtigung, in diesen Ordner zu schreiben.";
        case ENOSPC:
        case EDQUOT:
            return "Auf dem Datentr\xE4ger ist kein Platz mehr.";
        case EROFS:
            return "Der Datentr\xE4ger ist schreibgesch\xFCtzt.";
        case ENOENT:
        case ENOTDIR:
            return "Den Ordner gibt es nicht.";
        case EISDIR:
            return "Unter diesem Namen gibt es einen Ordner.";
        default:
            break;
    }
    return "Das Dateisystem meldet einen Fehler.";
}

}  // namespace

bool saveFile(Window& window, const std::string& path, std::span<const std::uint8_t> bytes) {
    const auto error = writeWholeFile(path, bytes);
    if (!error) {
        return true;
    }
    window.showMessage("Fehler",
                       "Die Datei l\xE4sst sich nicht schreiben. " + std::string(reasonOf(*error)),
                       MessageIcon::None);
    return false;
}

}  // namespace morvale

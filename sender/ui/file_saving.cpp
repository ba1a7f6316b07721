#include "file_saving.h"

#include <cerrno>

#include "file_writing.h"
#include "latin1_case.h"

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

std::string_view baseName(std::string_view path) {
    const auto slash = path.rfind('/');
    return slash == std::string_view::npos ? path : path.substr(slash + 1);
}

std::string_view stem(std::string_view path) {
    const std::string_view name = baseName(path);
    return name.substr(0, name.find('.'));
}

bool hasExtension(std::string_view path, std::string_view extension) {
    return path.size() >= extension.size() &&
           kc::lowerLatin1(path.substr(path.size() - extension.size())) == extension;
}

}  // namespace morvale

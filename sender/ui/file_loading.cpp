#include "file_loading.h"

#include <algorithm>
#include <string>
#include <variant>

#include "kcc_header.h"
#include "latin1_case.h"

namespace morvale {

namespace {

void refuseTooLong(Window& window) {
    window.showMessage("Fehler", "Datei zu gro\xDF!", MessageIcon::None);
}

// The reason by the error's kind alone: its detail is English and names
// what only a developer of the format needs.
void refuseDamaged(Window& window, kc::ErrorKind kind) {
    std::string_view reason;
    switch (kind) {
        case kc::ErrorKind::TooShort:
            reason =
                "Die Datei ist besch\xE4"
                "digt: sie ist k\xFCrzer als ihr Dateikopf.";
            break;
        case kc::ErrorKind::WrongKind:
            reason =
                "Die Datei enth\xE4lt kein BASIC-Programm: sie ist keine Datei dieser Art, oder "
                "sie enth\xE4lt BASIC-Daten oder ein als Text gespeichertes Listing.";
            break;
        default:
            reason =
                "Die Datei ist besch\xE4"
                "digt: sie bricht vorzeitig ab, oder ihre Daten passen "
                "nicht zu ihrem Aufbau.";
            break;
    }
    window.showMessage("Fehler", reason, MessageIcon::None);
}

std::string_view markerOf(ImageKind kind) {
    switch (kind) {
        case ImageKind::Kcc:
            return kKccMarker;
        case ImageKind::Kcb:
            return kKcbMarker;
        case ImageKind::Raw:
            break;
    }
    return kRawImageMarker;
}

// A program comes from a .sss or a .tap file; the marker is its extension.
std::string_view programMarker(const std::string& path) {
    const std::string_view name = path;
    return kc::lowerLatin1(name.substr(name.size() - std::min<std::size_t>(name.size(), 4))) ==
                   ".tap"
               ? kTapMarker
               : kSssMarker;
}

void showMarker(Window& window, std::string_view marker) {
    window.setText(kEditor, marker);
    window.setEnabled(kEditor, false);
}

void takeImage(AppState& state, Window& window, Image& image) {
    showMarker(window, markerOf(image.kind));
    if (image.kind == ImageKind::Raw) {
        // A raw image keeps the load address of the image before it.
        state.startAddress.reset();
        state.dataLength = static_cast<std::int32_t>(image.bytes.size());
        state.dataBuffer = std::move(image.bytes);
        return;
    }
    // A file shorter than its header leaves the rest of the header buffer as
    // it was, and the addresses and length are read from all of it; the
    // image read after such a header is empty.
    std::copy(image.header.begin(), image.header.end(), state.headerBuffer.begin());
    const auto header = kc::readKccHeader(std::span(state.headerBuffer).first(kc::kHeaderSize));
    state.loadAddress = header->loadAddress;
    state.startAddress = header->start();
    state.dataBuffer.resize(static_cast<std::size_t>(header->imageLength()));
    std::copy(image.bytes.begin(), image.bytes.end(), state.dataBuffer.begin());
    state.dataLength = static_cast<std::int32_t>(image.bytes.size());
}

// True when the load changed something; a refusal the user must hear of is
// shown, other errors change nothing silently.
bool take(AppState& state, Window& window, Loaded loaded, const std::string& path) {
    if (auto* error = std::get_if<kc::Error>(&loaded)) {
        switch (error->kind) {
            case kc::ErrorKind::TooLong:
                refuseTooLong(window);
                break;
            case kc::ErrorKind::TooShort:
            case kc::ErrorKind::Malformed:
            case kc::ErrorKind::WrongKind:
                refuseDamaged(window, error->kind);
                break;
            default:
                break;
        }
        return false;
    }
    if (auto* listing = std::get_if<Listing>(&loaded)) {
        window.setText(kEditor, listing->lines);
        return true;
    }
    if (auto* program = std::get_if<Program>(&loaded)) {
        state.basicProgram = std::move(program->file);
        showMarker(window, programMarker(path));
        return true;
    }
    // A KCB that holds no program, or a broken one, is still an image.
    state.kcbProgram.reset();
    if (std::get<Image>(loaded).kind == ImageKind::Kcb) {
        if (auto program = basicProgramOf(loaded, path);
            auto* file = std::get_if<kc::BasicFile>(&program)) {
            state.kcbProgram = std::move(*file);
        }
    }
    takeImage(state, window, std::get<Image>(loaded));
    return true;
}

}  // namespace

bool isImageMarker(std::string_view editorText) {
    return editorText == kRawImageMarker || editorText == kKccMarker || editorText == kKcbMarker;
}

bool isProgramMarker(std::string_view editorText) {
    return editorText == kSssMarker || editorText == kTapMarker;
}

const kc::BasicFile* keptProgram(const AppState& state, std::string_view editorText) {
    if (isProgramMarker(editorText) && state.basicProgram) {
        return &*state.basicProgram;
    }
    if (editorText == kKcbMarker && state.kcbProgram) {
        return &*state.kcbProgram;
    }
    return nullptr;
}

void loadFile(AppState& state, Window& window) {
    // A file that does not load has shown why, or changed nothing.
    static_cast<void>(loadPath(state, window, window.chooseFile(kLoadDialogTitle, kLoadFilter)));
}

bool loadTextBytes(Window& window, std::span<const std::uint8_t> bytes) {
    auto listing = listingFromBytes(bytes, "");
    if (std::holds_alternative<kc::Error>(listing)) {
        refuseTooLong(window);
        return false;
    }
    window.setText(kEditor, std::get<Listing>(listing).lines);
    return true;
}

bool loadPath(AppState& state, Window& window, const std::string& path) {
    const bool loaded = take(state, window, loadFile(path), path);
    if (loaded) {
        window.grow();
    }
    return loaded;
}

}  // namespace morvale

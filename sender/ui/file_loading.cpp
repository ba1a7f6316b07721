#include "file_loading.h"

#include <algorithm>
#include <string>
#include <variant>

#include "kcc_header.h"

namespace morvale {

namespace {

void refuseTooLong(Window& window) {
    window.showMessage("Fehler", "Datei zu gro\xDF!", MessageIcon::None);
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

void takeImage(AppState& state, Window& window, Image& image) {
    window.setText(kEditor, markerOf(image.kind));
    window.setEnabled(kEditor, false);
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
bool take(AppState& state, Window& window, Loaded loaded) {
    if (auto* error = std::get_if<kc::Error>(&loaded)) {
        if (error->kind == kc::ErrorKind::TooLong) {
            refuseTooLong(window);
        }
        return false;
    }
    if (auto* listing = std::get_if<Listing>(&loaded)) {
        window.setText(kEditor, listing->lines);
        return true;
    }
    takeImage(state, window, std::get<Image>(loaded));
    return true;
}

}  // namespace

bool isImageMarker(std::string_view editorText) {
    return editorText == kRawImageMarker || editorText == kKccMarker || editorText == kKcbMarker;
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
    const bool loaded = take(state, window, loadFile(path));
    if (loaded) {
        window.grow();
    }
    return loaded;
}

}  // namespace morvale

#include "file_loading.h"

#include <algorithm>
#include <string>

#include "file_reading.h"
#include "kcc_header.h"
#include "latin1_case.h"
#include "text_lines.h"
#include "utf8.h"

namespace morvale {

namespace {

// A KC image length is a 16-bit value.
constexpr std::int64_t kLongestImage = 0xFFFF;

void refuseTooLong(Window& window) {
    window.showMessage("Fehler", "Datei zu gro\xDF!", MessageIcon::None);
}

std::string extensionOf(const std::string& path) {
    const std::size_t start = path.size() > 4 ? path.size() - 4 : 0;
    return kc::lowerLatin1(std::string_view(path).substr(start));
}

void showImageMarker(Window& window, std::string_view marker) {
    window.setText(kEditor, marker);
    window.setEnabled(kEditor, false);
}

bool loadRawImage(AppState& state, Window& window, const std::string& path, std::int64_t size) {
    if (size > kLongestImage) {
        refuseTooLong(window);
        return false;
    }
    auto bytes = readFileStart(path, static_cast<std::size_t>(size));
    if (!bytes) {
        return false;
    }
    showImageMarker(window, kRawImageMarker);
    state.startAddress.reset();
    state.dataLength = static_cast<std::int32_t>(bytes->size());
    state.dataBuffer = std::move(*bytes);
    return true;
}

bool loadContainer(AppState& state, Window& window, const std::string& path,
                   std::string_view marker) {
    const auto bytes = readFileStart(path, kc::kHeaderSize + kLongestImage);
    if (!bytes) {
        return false;
    }
    // A file shorter than its header leaves the rest of the header buffer as
    // it was; the image read after it is then empty.
    const std::size_t headerRead = std::min(bytes->size(), kc::kHeaderSize);
    std::copy_n(bytes->begin(), headerRead, state.headerBuffer.begin());
    const auto header = kc::readKccHeader(std::span(state.headerBuffer).first(kc::kHeaderSize));
    const std::size_t announced = static_cast<std::size_t>(header->imageLength());
    const std::size_t imageRead = std::min(announced, bytes->size() - headerRead);

    showImageMarker(window, marker);
    state.loadAddress = header->loadAddress;
    state.startAddress = header->start();
    state.dataBuffer.resize(announced);
    std::copy_n(bytes->begin() + headerRead, imageRead, state.dataBuffer.begin());
    state.dataLength = static_cast<std::int32_t>(imageRead);
    return true;
}

bool loadText(Window& window, const std::string& path, std::int64_t size) {
    if (size > kLongestText) {
        refuseTooLong(window);
        return false;
    }
    // One byte more than allowed tells a file that has grown since its size
    // was asked.
    const auto bytes = readFileStart(path, static_cast<std::size_t>(kLongestText + 1));
    if (!bytes) {
        return false;
    }
    return loadTextBytes(window, *bytes);
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
    if (static_cast<std::int64_t>(bytes.size()) > kLongestText) {
        refuseTooLong(window);
        return false;
    }
    if (const auto latin1 = kc::latin1FromUtf8(bytes)) {
        window.setText(
            kEditor, editorTextFromFile(
                         {reinterpret_cast<const std::uint8_t*>(latin1->data()), latin1->size()}));
    } else {
        window.setText(kEditor, editorTextFromFile(bytes));
    }
    return true;
}

bool loadPath(AppState& state, Window& window, const std::string& path) {
    const std::int64_t size = fileSize(path);
    if (size <= 0) {
        return false;
    }
    const std::string extension = extensionOf(path);
    bool loaded = false;
    if (extension == ".bin") {
        loaded = loadRawImage(state, window, path, size);
    } else if (extension == ".kcc") {
        loaded = loadContainer(state, window, path, kKccMarker);
    } else if (extension == ".kcb") {
        loaded = loadContainer(state, window, path, kKcbMarker);
    } else {
        loaded = loadText(window, path, size);
    }
    if (loaded) {
        window.grow();
    }
    return loaded;
}

}  // namespace morvale

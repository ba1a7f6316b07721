#include "memory_upload.h"

#include <optional>
#include <span>
#include <string>

#include "hex_number.h"
#include "keyboard_relay.h"
#include "pause.h"

namespace morvale {

namespace {

constexpr std::int32_t kPieceSize = 1024;
constexpr int kTicksAfterEscape = 50;
constexpr std::uint8_t kEscape = 0x1B;

std::optional<std::int32_t> askTargetAddress(const AppState& state, Window& window) {
    const auto answer =
        window.askText("Adresse", "Startadresse (Hex) eingeben:", formatHex(state.loadAddress));
    if (!answer) {
        return std::nullopt;
    }
    return readHex(*answer);
}

// The address itself must lie below the ROM too: an empty image would
// otherwise let the KC be told to load at 0xE000.
bool fitsBelowRom(std::int32_t address, std::int32_t length) {
    return address >= 0 && address < kRomStart && std::int64_t{address} + length <= kRomStart;
}

void setUploadControlsEnabled(Window& window, bool enabled) {
    window.setEnabled(kCommandLine, enabled);
    window.setEnabled(kSendButton, enabled);
    window.setEnabled(kLoadButton, enabled);
    setKeyButtonsEnabled(window, enabled);
}

// Writes the pieces of one upload. A device that fails is gone: that is
// reported once and ends the upload. A short write (the KC held the line too
// long) is reported for each piece and the upload goes on.
class UploadWriter {
  public:
    UploadWriter(Window& window, SerialLink& link) : window_(window), link_(link) {}

    void writeHeader(std::span<const std::uint8_t> bytes) {
        if (!stopped_ && link_.writeBytes(bytes).failed) {
            fail();
        }
    }

    void writePiece(std::span<const std::uint8_t> bytes) {
        if (stopped_) {
            return;
        }
        const WriteResult result = link_.writeBytes(bytes);
        if (result.failed) {
            fail();
        } else if (result.written < static_cast<std::int32_t>(bytes.size())) {
            reportNotEmpty();
        }
    }

    bool stopped() const { return stopped_; }

  private:
    void fail() {
        stopped_ = true;
        window_.showMessage("Fehler", "Verbindung zur Schnittstelle unterbrochen!",
                            MessageIcon::None);
    }
    void reportNotEmpty() {
        window_.showMessage("Fehler", "Sendespeicher nicht leer!", MessageIcon::None);
    }

    Window& window_;
    SerialLink& link_;
    bool stopped_ = false;
};

void sendData(Window& window, UploadWriter& writer, std::span<const std::uint8_t> data) {
    const auto length = static_cast<std::int32_t>(data.size());
    if (length <= kPieceSize) {
        window.setText(kEditor, "Sende Daten ...");
        pauseTicks(window, 1, std::chrono::milliseconds(5));
        writer.writePiece(data);
        return;
    }
    const std::int32_t blocks = length / kPieceSize;
    const std::int32_t rest = length - blocks * kPieceSize;
    for (std::int32_t i = 0; i < blocks && !writer.stopped(); ++i) {
        window.setText(kEditor, "Sende Block " + std::to_string(i + 1) + " von " +
                                    std::to_string(blocks) + " ...");
        pauseTicks(window, 2);
        writer.writePiece(data.subspan(i * kPieceSize, kPieceSize));
    }
    if (rest > 0 && !writer.stopped()) {
        window.setText(kEditor, "Sende den Rest ...");
        pauseTicks(window, 2);
        writer.writePiece(data.subspan(length - rest));
    }
}

}  // namespace

void uploadImage(AppState& state, Window& window, SerialLink& link) {
    const auto address = askTargetAddress(state, window);
    if (!address) {
        return;
    }
    if (!fitsBelowRom(*address, state.dataLength)) {
        window.showMessage("Warnung", "Ziel liegt im ROM!     ", MessageIcon::Exclamation);
        return;
    }

    auto& header = state.headerBuffer;
    const auto addressField = hexField16(*address);
    const auto lengthField = hexField16(state.dataLength);
    header[0] = kEscape;
    header[1] = 'T';
    header[2] = addressField[0];
    header[3] = addressField[1];
    header[4] = lengthField[0];
    header[5] = lengthField[1];

    if (!link.open(state.portName, kUploadLine)) {
        showOpenFailure(window, link, kSendButton);
        return;
    }
    const std::string marker = window.text(kEditor);
    setUploadControlsEnabled(window, false);

    UploadWriter writer(window, link);
    writer.writeHeader(std::span(header).first(1));
    pauseTicks(window, kTicksAfterEscape);
    writer.writeHeader(std::span(header).subspan(1, 5));
    sendData(window, writer,
             std::span(state.dataBuffer).first(static_cast<std::size_t>(state.dataLength)));

    link.close();
    setUploadControlsEnabled(window, true);
    window.setText(kEditor, marker);
}

}  // namespace morvale

#include "memory_upload.h"

#include <algorithm>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "hex_number.h"
#include "keyboard_relay.h"
#include "pause.h"

namespace morvale {

namespace {

constexpr std::int32_t kPieceSize = 1024;
constexpr int kTicksAfterEscape = 50;
constexpr auto kUploadHeaderSize = static_cast<std::int32_t>(kc::kMemoryWriteHeaderSize);

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

// One write of the image, with what the editor shows and the ticks before it.
struct Piece {
    std::int32_t offset = 0;
    std::int32_t size = 0;
    std::string label;
    int ticks = 0;
    std::chrono::milliseconds tickLength{1};
};

// An image up to one piece long goes out whole; a longer one in blocks of
// 1024 bytes and then the rest.
std::vector<Piece> piecesOf(std::int32_t length) {
    if (length <= kPieceSize) {
        return {{0, length, "Sende Daten ...", 1, std::chrono::milliseconds(5)}};
    }
    const std::int32_t blocks = length / kPieceSize;
    const std::int32_t rest = length - blocks * kPieceSize;
    std::vector<Piece> pieces;
    for (std::int32_t i = 0; i < blocks; ++i) {
        pieces.push_back(
            {i * kPieceSize, kPieceSize,
             "Sende Block " + std::to_string(i + 1) + " von " + std::to_string(blocks) + " ...",
             2});
    }
    if (rest > 0) {
        pieces.push_back({length - rest, rest, "Sende den Rest ...", 2});
    }
    return pieces;
}

// Runs the ticks before a piece; true when they brought a click on the send
// button. The window keeps that button disabled during an upload, so only a
// front-end that offers to stop an upload (the console's Ctrl+C) clicks it.
bool stopRequested(Window& window, const Piece& piece) {
    Pause pause(window, piece.tickLength);
    bool stop = false;
    for (int k = 0; k < piece.ticks; ++k) {
        stop = pause.tick().isClick(kSendButton) || stop;
    }
    return stop;
}

// Sends the pieces until one fails for good or the user stops the upload;
// the piece being written is always finished.
void sendData(Window& window, UploadWriter& writer, std::span<const std::uint8_t> data) {
    for (const Piece& piece : piecesOf(static_cast<std::int32_t>(data.size()))) {
        if (writer.stopped()) {
            return;
        }
        window.setText(kEditor, piece.label);
        if (stopRequested(window, piece)) {
            return;
        }
        writer.writePiece(data.subspan(piece.offset, piece.size));
    }
}

// Before an upload, when a carriage return has gone out since the last one:
// the KC must be reset first.
void warnIfKcTakesKeys(const AppState& state, Window& window) {
    if (state.kcTakesKeys) {
        window.showMessage("Hinweis",
                           "Der KC liest die Schnittstelle seit dem letzten Kommando als "
                           "Tastatur und w\xFCrde das Abbild als Tasten nehmen.\n"
                           "Bitte am KC RESET dr\xFC"
                           "cken, dann OK.",
                           MessageIcon::Exclamation);
    }
}

}  // namespace

bool restoreCommandState(AppState& state, Window& window, SerialLink& link) {
    for (const std::string_view line : {"MODIFY 1E2", "E7 FA."}) {
        if (!typeLine(state, window, link, line, kSendButton).whole) {
            return false;
        }
        // CAOS shows the next address and its bytes: a new screen row.
        pauseTicks(window, state.textPacing.afterLineEnd);
    }
    state.kcTakesKeys = false;
    return true;
}

bool startProgram(AppState& state, Window& window, SerialLink& link, std::int32_t address) {
    if (address < 0 || address > 0xFFFF) {
        return false;
    }
    if (!link.open(state.portName, kUploadLine)) {
        showOpenFailure(window, link, kSendButton);
        return false;
    }
    const auto field = hexField16(address);
    const std::uint8_t escape[] = {kc::kEscape};
    const std::uint8_t start[] = {kc::kStartProgram, field[0], field[1]};
    const auto whole = [&](std::span<const std::uint8_t> bytes) {
        const WriteResult result = link.writeBytes(bytes);
        return !result.failed && result.written == static_cast<std::int32_t>(bytes.size());
    };
    bool sent = whole(escape);
    if (sent) {
        pauseTicks(window, kTicksAfterEscape);
        sent = whole(start);
    }
    link.close();
    return sent;
}

void uploadImage(AppState& state, Window& window, SerialLink& link) {
    warnIfKcTakesKeys(state, window);
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
    header[0] = kc::kEscape;
    header[1] = kc::kMemoryWrite;
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
    state.kcTakesKeys = false;

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

TransferPlan planUpload(std::int32_t dataLength) {
    auto pauses = std::chrono::milliseconds(kTicksAfterEscape);
    for (const Piece& piece : piecesOf(dataLength)) {
        pauses += piece.ticks * piece.tickLength;
    }
    return {kUploadHeaderSize + std::max(dataLength, 0), pauses, characterTime(kUploadLine)};
}

}  // namespace morvale

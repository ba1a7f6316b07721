#include "memory_upload.h"

#include <algorithm>
#include <optional>
#include <span>
#include <string>

#include "controls.h"
#include "hex_number.h"
#include "upload_check.h"

namespace morvale {

namespace {

std::optional<std::int32_t> askTargetAddress(const AppState& state, Window& window) {
    const auto answer =
        window.askText("Adresse", "Startadresse (Hex) eingeben:", formatHex(state.loadAddress));
    if (!answer) {
        return std::nullopt;
    }
    return readHex(*answer);
}

void setUploadControlsEnabled(Window& window, bool enabled) {
    window.setEnabled(kCommandLine, enabled);
    window.setEnabled(kSendButton, enabled);
    window.setEnabled(kLoadButton, enabled);
    setKeyButtonsEnabled(window, enabled);
}

// The window while the image goes out: the controls disabled, the piece
// under way in the editor, a message for each piece that left short and for
// a device that failed.
class UploadLook final : public Progress {
  public:
    UploadLook(AppState& state, Window& window) : state_(state), window_(window) {}

    void planned(const TransferPlan& /*plan*/) override {
        marker_ = window_.text(kEditor);
        entered_ = true;
        setUploadControlsEnabled(window_, false);
        state_.kcTakesKeys = false;
    }
    void pieceStarted(const UploadPiece& piece) override {
        window_.setText(kEditor, pieceLabel(piece));
    }
    void pieceShort() override { showPieceShort(window_); }
    void deviceLost(const kc::Error& /*error*/) override { showDeviceLost(window_); }
    void leave() {
        if (entered_) {
            setUploadControlsEnabled(window_, true);
            window_.setText(kEditor, marker_);
        }
    }

  private:
    AppState& state_;
    Window& window_;
    std::string marker_;
    bool entered_ = false;
};

}  // namespace

void warnIfKcTakesKeys(const AppState& state, Window& window, std::string_view what) {
    if (state.kcTakesKeys) {
        window.showMessage("Hinweis",
                           "Der KC liest die Schnittstelle seit dem letzten Kommando als "
                           "Tastatur und w\xFCrde " +
                               std::string(what) +
                               " als Tasten nehmen.\n"
                               "Bitte am KC RESET dr\xFC"
                               "cken, dann OK.",
                           MessageIcon::Exclamation);
    }
}

std::string pieceLabel(const UploadPiece& piece) {
    switch (piece.kind) {
        case UploadPiece::Kind::Whole:
            return "Sende Daten ...";
        case UploadPiece::Kind::Block:
            return "Sende Block " + std::to_string(piece.number) + " von " +
                   std::to_string(piece.blocks) + " ...";
        case UploadPiece::Kind::Rest:
            break;
    }
    return "Sende den Rest ...";
}

void uploadImage(AppState& state, Window& window, SerialLink& link) {
    warnIfKcTakesKeys(state, window, "das Abbild");
    const auto address = askTargetAddress(state, window);
    if (!address) {
        return;
    }
    if (targetRefusal(*address, state.dataLength)) {
        window.showMessage("Warnung", "Ziel liegt im ROM!     ", MessageIcon::Exclamation);
        return;
    }
    const auto header = uploadHeader(*address, state.dataLength);
    std::copy(header.begin(), header.end(), state.headerBuffer.begin());

    const auto image =
        std::span(state.dataBuffer).first(static_cast<std::size_t>(state.dataLength));
    UploadLook look(state, window);
    const SendReport report = sendImage(link, window, state.portName, *address, image, &look);
    showTrouble(window, link, report, kSendButton, {});
    look.leave();
    if (state.checkUploads && report.complete() && !image.empty()) {
        checkUpload(state, window, link, static_cast<std::uint16_t>(*address), image);
    }
}

}  // namespace morvale

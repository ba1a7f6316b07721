#include "controls.h"

#include <string>

#include "kc85.h"

namespace morvale {

namespace {

static_assert(kLastKeyButton - kFirstKeyButton + 1 == kc::kSpecialKeys.size());

}  // namespace

std::optional<std::uint8_t> keyCode(int controlId) {
    if (controlId < kFirstKeyButton || controlId > kLastKeyButton) {
        return std::nullopt;
    }
    return kc::kSpecialKeys[controlId - kFirstKeyButton].code;
}

std::string_view keyCaption(int controlId) {
    if (controlId < kFirstKeyButton || controlId > kLastKeyButton) {
        return {};
    }
    return kc::kSpecialKeys[controlId - kFirstKeyButton].caption;
}

void showTrouble(Window& window, const SerialLink& link, const SendReport& sent, int controlId,
                 const DiagnosticSink& diagnostics) {
    if (sent.isError(kc::ErrorKind::PortNotOpened)) {
        if (const std::string reason = link.openFailure(); !reason.empty()) {
            window.showNotice(controlId, reason);
        }
    } else if (sent.isError(kc::ErrorKind::LineHeld)) {
        report(diagnostics, "morvale: " + sent.error->describe());
    }
}

void showDeviceLost(Window& window) {
    window.showMessage("Fehler", "Verbindung zur Schnittstelle unterbrochen!", MessageIcon::None);
}

void showPieceShort(Window& window) {
    window.showMessage("Fehler", "Sendespeicher nicht leer!", MessageIcon::None);
}

void setKeyButtonsEnabled(Window& window, bool enabled) {
    for (int id = kFirstKeyButton; id <= kLastKeyButton; ++id) {
        window.setEnabled(id, enabled);
    }
}

}  // namespace morvale

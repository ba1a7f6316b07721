#include "keyboard_relay.h"

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

void sendCommandLine(AppState& state, Window& window, SerialLink& link,
                     const DiagnosticSink& diagnostics, std::chrono::milliseconds holdLimit) {
    const SendReport report =
        typeLine(link, window, state.portName, window.text(kCommandLine), holdLimit);
    state.kcTakesKeys = state.kcTakesKeys || report.lineEnded;
    showTrouble(window, link, report, kCommandLine, diagnostics);
    if (!report.isError(kc::ErrorKind::PortNotOpened)) {
        window.setText(kCommandLine, "");
    }
}

void sendKey(const AppState& state, Window& window, SerialLink& link, int controlId,
             const DiagnosticSink& diagnostics, std::chrono::milliseconds holdLimit) {
    if (const auto code = keyCode(controlId)) {
        const SendReport report = pressKey(link, window, state.portName, *code, holdLimit);
        showTrouble(window, link, report, controlId, diagnostics);
    }
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

void setKeyButtonsEnabled(Window& window, bool enabled) {
    for (int id = kFirstKeyButton; id <= kLastKeyButton; ++id) {
        window.setEnabled(id, enabled);
    }
}

}  // namespace morvale

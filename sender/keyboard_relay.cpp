#include "keyboard_relay.h"

#include <array>
#include <string>

#include "pause.h"

namespace morvale {

namespace {

// F1 .. F6, BRK, STOP, INS, DEL, CLR, HOME. STOP shares its code with the
// line's XOFF character and goes out as data all the same.
constexpr std::array<std::uint8_t, 12> kKeyCodes = {0xF1, 0xF2, 0xF3, 0xF4, 0xF5, 0xF6,
                                                    0x03, 0x13, 0x1A, 0x1F, 0x01, 0x10};

constexpr int kTicksAfterCharacter = 6;

}  // namespace

std::optional<std::uint8_t> keyCode(int controlId) {
    if (controlId < kFirstKeyButton || controlId > kLastKeyButton) {
        return std::nullopt;
    }
    return kKeyCodes[controlId - kFirstKeyButton];
}

void sendCommandLine(const AppState& state, Window& window, SerialLink& link,
                     const DiagnosticSink& diagnostics, std::chrono::milliseconds holdLimit) {
    if (!link.open(state.portName, kKeyboardLine)) {
        showOpenFailure(window, link, kCommandLine);
        return;
    }
    const HoldRule rule{.abortable = false, .limit = holdLimit};
    const std::string command = window.text(kCommandLine) + '\r';
    for (std::size_t i = 0; i < command.size(); ++i) {
        const HeldWrite outcome = writeThroughHold(link, window, command[i], rule);
        if (outcome == HeldWrite::GaveUp) {
            report(diagnostics,
                   holdReport(state.portName, holdLimit, "the rest of the command was not sent"));
        }
        if (outcome != HeldWrite::Sent) {
            break;
        }
        if (i + 1 < command.size()) {
            pauseTicks(window, kTicksAfterCharacter);
        }
    }
    link.close();
    window.setText(kCommandLine, "");
}

void sendKey(const AppState& state, Window& window, SerialLink& link, int controlId,
             const DiagnosticSink& diagnostics, std::chrono::milliseconds holdLimit) {
    const auto code = keyCode(controlId);
    if (!code) {
        return;
    }
    if (!link.open(state.portName, kKeyboardLine)) {
        showOpenFailure(window, link, controlId);
        return;
    }
    const HoldRule rule{.abortable = false, .limit = holdLimit};
    if (writeThroughHold(link, window, static_cast<char>(*code), rule) == HeldWrite::GaveUp) {
        report(diagnostics, holdReport(state.portName, holdLimit, "the key was not sent"));
    }
    link.close();
}

std::string holdReport(std::string_view portName, std::chrono::milliseconds limit,
                       std::string_view consequence) {
    const auto ms = limit.count();
    const std::string held =
        ms % 1000 == 0 ? std::to_string(ms / 1000) + " s" : std::to_string(ms) + " ms";
    return "morvale: " + std::string(portName) + ": the KC has held the line (XOFF) for " + held +
           "; " + std::string(consequence);
}

void showOpenFailure(Window& window, const SerialLink& link, int controlId) {
    const std::string reason = link.openFailure();
    if (!reason.empty()) {
        window.showNotice(controlId, reason);
    }
}

void setKeyButtonsEnabled(Window& window, bool enabled) {
    for (int id = kFirstKeyButton; id <= kLastKeyButton; ++id) {
        window.setEnabled(id, enabled);
    }
}

}  // namespace morvale

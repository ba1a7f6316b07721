#include "keyboard_relay.h"

#include <string>

#include "kc85.h"
#include "pause.h"

namespace morvale {

namespace {

static_assert(kLastKeyButton - kFirstKeyButton + 1 == kc::kSpecialKeys.size());

constexpr int kTicksAfterCharacter = 6;

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

std::uint8_t commandLineCapital(std::uint8_t latin1) {
    const bool small =
        (latin1 >= 'a' && latin1 <= 'z') || (latin1 >= 0xE0 && latin1 <= 0xFE && latin1 != 0xF7);
    return small ? static_cast<std::uint8_t>(latin1 - 0x20) : latin1;
}

std::string commandLineCapitals(std::string_view latin1) {
    std::string capitals(latin1);
    for (char& c : capitals) {
        c = static_cast<char>(commandLineCapital(static_cast<std::uint8_t>(c)));
    }
    return capitals;
}

void sendCommandLine(AppState& state, Window& window, SerialLink& link,
                     const DiagnosticSink& diagnostics, std::chrono::milliseconds holdLimit) {
    const TypedLine typed = typeLine(state, window, link, window.text(kCommandLine), kCommandLine,
                                     diagnostics, holdLimit);
    if (typed.opened) {
        window.setText(kCommandLine, "");
    }
}

TypedLine typeLine(AppState& state, Window& window, SerialLink& link, std::string_view line,
                   int noticeAt, const DiagnosticSink& diagnostics,
                   std::chrono::milliseconds holdLimit) {
    if (!link.open(state.portName, kKeyboardLine)) {
        showOpenFailure(window, link, noticeAt);
        return {};
    }
    const HoldRule rule{.abortable = false, .limit = holdLimit};
    const std::string command = std::string(line) + '\r';
    TypedLine typed{.opened = true};
    for (std::size_t i = 0; i < command.size(); ++i) {
        const HeldWrite outcome = writeThroughHold(link, window, command[i], rule);
        if (outcome == HeldWrite::GaveUp) {
            report(diagnostics,
                   holdReport(state.portName, holdLimit, "the rest of the command was not sent"));
        }
        if (outcome != HeldWrite::Sent) {
            break;
        }
        if (command[i] == '\r') {
            state.kcTakesKeys = true;
            typed.whole = true;
        }
        if (i + 1 < command.size()) {
            pauseTicks(window, kTicksAfterCharacter);
        }
    }
    link.close();
    return typed;
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

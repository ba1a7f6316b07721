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

constexpr std::array<std::string_view, 12> kKeyCaptions = {
    "F1", "F2", "F3", "F4", "F5", "F6", "BRK", "STOP", "INS", "DEL", "CLR", "HOME"};

constexpr int kTicksAfterCharacter = 6;

}  // namespace

std::optional<std::uint8_t> keyCode(int controlId) {
    if (controlId < kFirstKeyButton || controlId > kLastKeyButton) {
        return std::nullopt;
    }
    return kKeyCodes[controlId - kFirstKeyButton];
}

std::string_view keyCaption(int controlId) {
    if (controlId < kFirstKeyButton || controlId > kLastKeyButton) {
        return {};
    }
    return kKeyCaptions[controlId - kFirstKeyButton];
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

void sendCommandLine(const AppState& state, Window& window, SerialLink& link) {
    if (link.open(state.portName, kKeyboardLine)) {
        const std::string command = window.text(kCommandLine);
        for (const char& c : command) {
            link.writeText({&c, 1});
            pauseTicks(window, kTicksAfterCharacter);
        }
        link.writeText("\r");
        link.close();
    }
    window.setText(kCommandLine, "");
}

void sendKey(const AppState& state, SerialLink& link, int controlId) {
    const auto code = keyCode(controlId);
    if (!code || !link.open(state.portName, kKeyboardLine)) {
        return;
    }
    link.writeBytes({&*code, 1});
    link.close();
}

void setKeyButtonsEnabled(Window& window, bool enabled) {
    for (int id = kFirstKeyButton; id <= kLastKeyButton; ++id) {
        window.setEnabled(id, enabled);
    }
}

}  // namespace morvale

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

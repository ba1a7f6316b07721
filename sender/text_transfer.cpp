#include "text_transfer.h"

#include <algorithm>
#include <string>

#include "keyboard_relay.h"
#include "pause.h"

namespace morvale {

namespace {

constexpr Rgb kSendingBackground{0xFF, 0x00, 0x00};
constexpr Rgb kIdleBackground{0xFF, 0xFF, 0xFF};
constexpr int kShortPause = 6;
constexpr int kLongPause = 50;
constexpr int kLineMark = 40;

// Writes for one transfer and remembers whether the device failed.
class TransferWriter {
  public:
    explicit TransferWriter(SerialLink& link) : link_(link) {}

    void write(char c) {
        if (link_.writeText({&c, 1}).failed) {
            deviceFailed_ = true;
        }
    }
    bool deviceFailed() const { return deviceFailed_; }

  private:
    SerialLink& link_;
    bool deviceFailed_ = false;
};

void enterSendingLook(Window& window) {
    window.setEditorBackground(kSendingBackground);
    window.setText(kSendButton, "Abbruch");
    window.setEnabled(kLoadButton, false);
    window.setEnabled(kCommandLine, false);
    setKeyButtonsEnabled(window, false);
}

void leaveSendingLook(Window& window) {
    window.setEnabled(kLoadButton, true);
    window.setEnabled(kCommandLine, true);
    setKeyButtonsEnabled(window, true);
    window.setEditorBackground(kIdleBackground);
    window.setText(kSendButton, "Senden");
}

// Runs the ticks after one character; true when the user clicked "Abbruch".
bool pauseAfterCharacter(Window& window, int ticks) {
    Pause pause(window);
    while (pause.ticksDone() < ticks) {
        if (pause.waitThrough(ticks).isClick(kSendButton)) {
            return true;
        }
    }
    return false;
}

bool endsWithLineEnd(std::string_view text) {
    const auto last = text.find_last_not_of(' ');
    return last != std::string_view::npos && text[last] == '\r';
}

}  // namespace

void sendText(AppState& state, Window& window, SerialLink& link, std::string_view editorText) {
    if (editorText.empty()) {
        window.beep();
        return;
    }
    if (!link.open(state.portName, kKeyboardLine)) {
        return;
    }
    enterSendingLook(window);
    state.sending = true;

    std::string text(editorText);
    std::erase(text, '\n');

    TransferWriter writer(link);
    writer.write('\r');
    // A click while the KC wakes up is dropped with the other events.
    pauseTicks(window, kLongPause);

    int lineCount = 0;
    for (std::size_t i = 0; i < text.size() && !writer.deviceFailed(); ++i) {
        const char c = text[i];
        writer.write(c);
        if (writer.deviceFailed()) {
            break;
        }
        int ticks = kShortPause;
        if (c == '\r') {
            ticks = kLongPause;
            lineCount = 0;
        }
        if (++lineCount == kLineMark) {
            lineCount = 0;
            ticks = kLongPause;
        }
        if (pauseAfterCharacter(window, ticks)) {
            state.sending = false;
            writer.write('\r');
            break;
        }
    }

    if (!endsWithLineEnd(text)) {
        writer.write('\r');
    }
    link.close();
    state.sending = false;
    leaveSendingLook(window);
}

}  // namespace morvale

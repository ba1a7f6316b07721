#include "text_transfer.h"

#include <algorithm>
#include <string>

#include "held_write.h"
#include "keyboard_relay.h"
#include "pause.h"

namespace morvale {

namespace {

constexpr Rgb kSendingBackground{0xFF, 0x00, 0x00};
constexpr Rgb kIdleBackground{0xFF, 0xFF, 0xFF};
constexpr int kShortPause = 6;
constexpr int kLongPause = 50;
constexpr int kLineMark = 40;

// Writes the characters of one transfer through holds, and ends it for good
// when the device fails or the user gives up a closing line end.
class TransferWriter {
  public:
    TransferWriter(Window& window, SerialLink& link, const AppState& state,
                   const DiagnosticSink& diagnostics)
        : window_(window), link_(link), state_(state), diagnostics_(diagnostics) {}

    // A character of the text; a click during a hold aborts.
    HeldWrite type(char c) { return write(c, HoldRule{.abortable = true}); }
    // A closing line end; a click during a hold, or the hold limit, gives it
    // up.
    void closeLine() {
        if (write('\r', HoldRule{.abortable = true, .limit = kHoldLimit}) == HeldWrite::GaveUp) {
            report(diagnostics_,
                   holdReport(state_.portName, kHoldLimit, "the closing line end was not sent"));
        }
    }

  private:
    HeldWrite write(char c, const HoldRule& rule) {
        if (ended_) {
            return HeldWrite::DeviceFailed;
        }
        const HeldWrite outcome = writeThroughHold(link_, window_, c, rule);
        if (outcome == HeldWrite::DeviceFailed) {
            window_.showMessage("Fehler", "Verbindung zur Schnittstelle unterbrochen!",
                                MessageIcon::None);
        }
        if (outcome == HeldWrite::DeviceFailed ||
            (outcome != HeldWrite::Sent && rule.limit != Clock::duration::max())) {
            ended_ = true;
        }
        return outcome;
    }

    Window& window_;
    SerialLink& link_;
    const AppState& state_;
    const DiagnosticSink& diagnostics_;
    bool ended_ = false;
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
    for (int k = 0; k < ticks; ++k) {
        if (pause.tick().isClick(kSendButton)) {
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

void sendText(AppState& state, Window& window, SerialLink& link, std::string_view editorText,
              const DiagnosticSink& diagnostics) {
    if (editorText.empty()) {
        window.beep();
        return;
    }
    if (!link.open(state.portName, kKeyboardLine)) {
        showOpenFailure(window, link, kSendButton);
        return;
    }
    enterSendingLook(window);
    state.sending = true;

    std::string text(editorText);
    std::erase(text, '\n');

    TransferWriter writer(window, link, state, diagnostics);
    HeldWrite outcome = writer.type('\r');
    if (outcome == HeldWrite::Sent) {
        // A click while the KC wakes up is dropped with the other events.
        pauseTicks(window, kLongPause);
    }

    int lineCount = 0;
    for (std::size_t i = 0; i < text.size() && outcome == HeldWrite::Sent; ++i) {
        const char c = text[i];
        outcome = writer.type(c);
        if (outcome != HeldWrite::Sent) {
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
            outcome = HeldWrite::Aborted;
        }
    }
    if (outcome == HeldWrite::Aborted) {
        state.sending = false;
        writer.closeLine();
    }

    if (!endsWithLineEnd(text)) {
        writer.closeLine();
    }
    link.close();
    state.sending = false;
    leaveSendingLook(window);
}

}  // namespace morvale

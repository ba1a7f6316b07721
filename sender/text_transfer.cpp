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
    while (pause.ticksDone() < ticks) {
        if (pause.waitThrough(ticks).isClick(kSendButton)) {
            return true;
        }
    }
    return false;
}

// The pause after each character: long at a line end and at every 40th
// character of a line, the line end counting as the next line's first.
class LinePacing {
  public:
    int ticksAfter(char c) {
        int ticks = kShortPause;
        if (c == '\r') {
            ticks = kLongPause;
            lineCount_ = 0;
        }
        if (++lineCount_ == kLineMark) {
            lineCount_ = 0;
            ticks = kLongPause;
        }
        return ticks;
    }

  private:
    int lineCount_ = 0;
};

// The text as it goes out: lines end in a carriage return alone.
std::string lineText(std::string_view editorText) {
    std::string text(editorText);
    std::erase(text, '\n');
    return text;
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

    const std::string text = lineText(editorText);

    TransferWriter writer(window, link, state, diagnostics);
    HeldWrite outcome = writer.type('\r');
    if (outcome == HeldWrite::Sent) {
        // A click while the KC wakes up is dropped with the other events.
        pauseTicks(window, kLongPause);
    }

    LinePacing pacing;
    for (std::size_t i = 0; i < text.size() && outcome == HeldWrite::Sent; ++i) {
        const char c = text[i];
        outcome = writer.type(c);
        if (outcome != HeldWrite::Sent) {
            break;
        }
        if (pauseAfterCharacter(window, pacing.ticksAfter(c))) {
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

TransferPlan planText(std::string_view editorText) {
    if (editorText.empty()) {
        return {};
    }
    const std::string text = lineText(editorText);
    int ticks = kLongPause;
    LinePacing pacing;
    for (const char c : text) {
        ticks += pacing.ticksAfter(c);
    }
    const std::int64_t finalReturn = endsWithLineEnd(text) ? 0 : 1;
    return {1 + static_cast<std::int64_t>(text.size()) + finalReturn,
            std::chrono::milliseconds(ticks), characterTime(kKeyboardLine)};
}

}  // namespace morvale

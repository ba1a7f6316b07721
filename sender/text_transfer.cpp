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
// The pause after the carriage return that starts every transfer: CAOS
// switches to its keyboard over V.24, or BASIC opens a new line.
constexpr int kFirstReturnPause = 50;

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

// The pause after each character, from the pacing: long at a line end and
// at every 40th character of a line, the line end counting as the next
// line's first.
class LinePacing {
  public:
    explicit LinePacing(const TextPacing& pacing) : pacing_(pacing) {}

    int ticksAfter(char c) {
        ++typed_;
        int ticks = pacing_.afterCharacter;
        if (c == '\r') {
            ticks = pacing_.afterLineEnd +
                    static_cast<int>(typed_ * pacing_.lineEndGrowthPerKilo / 1000);
            lineCount_ = 0;
        }
        if (++lineCount_ == pacing_.lineMark) {
            lineCount_ = 0;
            ticks = std::max(ticks, pacing_.atLineMark);
        }
        return ticks;
    }

  private:
    const TextPacing& pacing_;
    int lineCount_ = 0;
    std::int64_t typed_ = 0;
};

// The text as it goes out: lines end in a carriage return alone.
std::string lineText(std::string_view editorText) {
    std::string text(editorText);
    std::erase(text, '\n');
    return text;
}

// "Zeilen 3, 17 und 2 weitere sind länger als 72 Zeichen – BASIC behält nur
// 72", in Latin-1.
std::string overlongNotice(const std::vector<int>& lines) {
    constexpr std::size_t kNamed = 5;
    std::string notice = lines.size() == 1 ? "Zeile " : "Zeilen ";
    for (std::size_t i = 0; i < lines.size() && i < kNamed; ++i) {
        notice += (i == 0 ? "" : ", ") + std::to_string(lines[i]);
    }
    if (lines.size() > kNamed) {
        notice += " und " + std::to_string(lines.size() - kNamed) + " weitere";
    }
    const std::string limit = std::to_string(kLongestBasicLine);
    return notice + (lines.size() == 1 ? " ist" : " sind") + " l\xE4nger als " + limit +
           " Zeichen \x96 BASIC beh\xE4lt nur " + limit;
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
    if (const auto overlong = overlongLines(text); !overlong.empty()) {
        window.showNotice(kSendButton, overlongNotice(overlong));
    }

    TransferWriter writer(window, link, state, diagnostics);
    HeldWrite outcome = writer.type('\r');
    if (outcome == HeldWrite::Sent) {
        state.kcTakesKeys = true;
        // A click while the KC wakes up is dropped with the other events.
        pauseTicks(window, std::max(kFirstReturnPause, state.textPacing.afterLineEnd));
    }

    LinePacing pacing(state.textPacing);
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

std::vector<int> overlongLines(std::string_view editorText) {
    std::vector<int> lines;
    const std::string text = lineText(editorText);
    int line = 1;
    std::size_t length = 0;
    for (const char c : text) {
        if (c == '\r') {
            ++line;
            length = 0;
        } else if (++length == kLongestBasicLine + 1) {
            lines.push_back(line);
        }
    }
    return lines;
}

TransferPlan planText(std::string_view editorText, const TextPacing& textPacing) {
    if (editorText.empty()) {
        return {};
    }
    const std::string text = lineText(editorText);
    std::int64_t ticks = std::max(kFirstReturnPause, textPacing.afterLineEnd);
    LinePacing pacing(textPacing);
    for (const char c : text) {
        ticks += pacing.ticksAfter(c);
    }
    const std::int64_t finalReturn = endsWithLineEnd(text) ? 0 : 1;
    return {1 + static_cast<std::int64_t>(text.size()) + finalReturn,
            std::chrono::milliseconds(ticks), characterTime(kKeyboardLine)};
}

}  // namespace morvale

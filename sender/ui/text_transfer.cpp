#include "text_transfer.h"

#include <string>

#include "controls.h"

namespace morvale {

namespace {

constexpr Rgb kSendingBackground{0xFF, 0x00, 0x00};
constexpr Rgb kIdleBackground{0xFF, 0xFF, 0xFF};

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

// "Zeilen 3, 17 und 2 weitere sind länger als 73 Zeichen – BASIC behält nur
// 73", in Latin-1.
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

// The window while the listing goes out.
class SendingLook final : public Progress {
  public:
    SendingLook(AppState& state, Window& window, std::string_view text)
        : state_(state), window_(window), text_(text) {}

    void planned(const TransferPlan& /*plan*/) override {
        entered_ = true;
        enterSendingLook(window_);
        state_.sending = true;
        if (const auto overlong = overlongLines(text_); !overlong.empty()) {
            window_.showNotice(kSendButton, overlongNotice(overlong));
        }
    }
    void deviceLost(const kc::Error& /*error*/) override { showDeviceLost(window_); }
    void leave() {
        if (entered_) {
            state_.sending = false;
            leaveSendingLook(window_);
        }
    }

  private:
    AppState& state_;
    Window& window_;
    std::string_view text_;
    bool entered_ = false;
};

}  // namespace

void sendText(AppState& state, Window& window, SerialLink& link, std::string_view editorText,
              const DiagnosticSink& diagnostics) {
    if (editorText.empty()) {
        window.beep();
        return;
    }
    SendingLook look(state, window, editorText);
    const SendReport report =
        sendListing(link, window, state.portName, editorText, state.textPacing, &look);
    state.kcTakesKeys = state.kcTakesKeys || report.lineEnded;
    showTrouble(window, link, report, kSendButton, diagnostics);
    look.leave();
}

}  // namespace morvale

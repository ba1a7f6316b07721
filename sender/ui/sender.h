// The window program: its state, the event loop and the dispatch of each
// event to its operation. Owns no window and no port; it drives both through
// their interfaces, one operation at a time.
#pragma once

#include <chrono>

#include "app_state.h"
#include "diagnostic_sink.h"
#include "serial_link.h"
#include "typing.h"
#include "window.h"

namespace morvale {

// Types the command line into the KC on Return and empties it. A port that
// does not open sends nothing, keeps the command and shows why at the command
// line; a held line given up is one line to diagnostics.
void sendCommandLine(AppState& state, Window& window, SerialLink& link,
                     const DiagnosticSink& diagnostics = {},
                     std::chrono::milliseconds holdLimit = kHoldLimit);

// Sends the key code of a key button. A port that does not open sends
// nothing and shows why at the button.
void sendKey(const AppState& state, Window& window, SerialLink& link, int controlId,
             const DiagnosticSink& diagnostics = {},
             std::chrono::milliseconds holdLimit = kHoldLimit);

class Sender {
  public:
    // Lines for diagnostics (a held line given up) go to the sink; with
    // none, to standard error.
    Sender(Window& window, SerialLink& link, DiagnosticSink diagnostics = {});

    // Waits for events and dispatches each until a close request arrives.
    void run();
    // Runs the operation an event stands for; returns when it has finished.
    void dispatch(const Event& event);

    AppState& state() { return state_; }
    const AppState& state() const { return state_; }

  private:
    void choosePort(int menuId);
    void sendEditorContent();

    AppState state_;
    Window& window_;
    SerialLink& link_;
    DiagnosticSink diagnostics_;
};

}  // namespace morvale

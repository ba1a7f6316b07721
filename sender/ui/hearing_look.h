// The window while an operation hears the KC: a BASIC program or memory
// fetched, an upload read back.
//
// It looks as a BASIC program's load does: the command line, the load
// button and the key buttons disabled, the send button reading "Abbruch"
// and enabled, since a click on it is the stop, and the editor telling what
// is under way and how many bytes have come ("Empfange vom KC ... 1834
// Bytes"). The look starts with the operation's first step on the line, so
// that a port that does not open changes nothing; at the end the editor
// shows what it held before.
#pragma once

#include <cstdint>
#include <string>

#include "sending.h"
#include "window.h"

namespace morvale {

class HearingLook final : public Progress {
  public:
    // activity: the editor's words for the operation ("Empfange vom KC").
    HearingLook(Window& window, std::string activity);
    ~HearingLook() override;
    HearingLook(const HearingLook&) = delete;
    HearingLook& operator=(const HearingLook&) = delete;

    void planned(const TransferPlan& plan) override;
    void writing(std::int64_t bytes) override;
    void received(std::int64_t total) override;
    void deviceLost(const kc::Error& error) override;
    // Brings the controls and the editor's text back; the destructor does
    // so too, once.
    void leave();

  private:
    void enter();

    Window& window_;
    std::string activity_;
    std::string editorText_;
    bool entered_ = false;
};

}  // namespace morvale

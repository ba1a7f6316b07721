#include "hearing_look.h"

#include <utility>

#include "controls.h"

namespace morvale {

HearingLook::HearingLook(Window& window, std::string activity)
    : window_(window), activity_(std::move(activity)) {}

HearingLook::~HearingLook() {
    leave();
}

void HearingLook::enter() {
    if (entered_) {
        return;
    }
    entered_ = true;
    editorText_ = window_.text(kEditor);
    window_.setEnabled(kCommandLine, false);
    window_.setEnabled(kLoadButton, false);
    setKeyButtonsEnabled(window_, false);
    window_.setEnabled(kSendButton, true);
    window_.setText(kSendButton, "Abbruch");
    window_.setText(kEditor, activity_ + " ...");
}

void HearingLook::planned(const TransferPlan& /*plan*/) {
    enter();
}

void HearingLook::writing(std::int64_t /*bytes*/) {
    enter();
}

void HearingLook::received(std::int64_t total) {
    enter();
    window_.setText(kEditor, activity_ + " ... " + std::to_string(total) + " Bytes");
}

void HearingLook::deviceLost(const kc::Error& /*error*/) {
    showDeviceLost(window_);
}

void HearingLook::leave() {
    if (!entered_) {
        return;
    }
    entered_ = false;
    window_.setEnabled(kCommandLine, true);
    window_.setEnabled(kLoadButton, true);
    setKeyButtonsEnabled(window_, true);
    window_.setText(kSendButton, "Senden");
    window_.setText(kEditor, editorText_);
}

}  // namespace morvale

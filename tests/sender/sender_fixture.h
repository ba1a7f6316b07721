// The sender's logic wired to a scripted window and a recording link.
#pragma once

#include <gtest/gtest.h>

#include "recording_link.h"
#include "scripted_window.h"
#include "sender.h"

namespace morvale::testing {

class SenderTest : public ::testing::Test {
  protected:
    Transcript transcript;
    ScriptedWindow window{transcript};
    RecordingLink link{transcript};
    Sender sender{window, link};

    // The transcripts count the pauses of the short schedule; the KC's own
    // is checked on its own.
    SenderTest() { sender.state().textPacing = kShortPacing; }

    AppState& state() { return sender.state(); }
    const AppState& state() const { return sender.state(); }
    void click(int controlId) { sender.dispatch(Event::control(controlId)); }
};

}  // namespace morvale::testing

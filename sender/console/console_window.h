// The window of kcsend: the sender's logic run with no display.
//
// It answers the logic as a user at the window would, from the command line:
// the file dialog with the file named there, the address prompt with the
// address given there or else its preset. Message boxes, notices at controls
// and beeps are kept for the program to report in English once the operation
// has returned; controls, colours and captions are only remembered.
//
// Time passes as the logic asks: a tick sleeps until its deadline (there are
// no window events to wait for). Once a stop is requested (Ctrl+C), every
// tick returns a click on the send button, which the text transfer takes as
// "Abbruch" and the upload as the end after the piece being written. The click
// comes at the tick's deadline, not earlier, so that ticks that drop it (the
// pause after the opening carriage return) keep their full length.
#pragma once

#include <functional>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "window.h"

namespace morvale::console {

class ConsoleWindow final : public Window {
  public:
    // stopRequested is asked at the end of every tick.
    explicit ConsoleWindow(std::function<bool()> stopRequested);

    // What the file dialog answers.
    void setChosenFile(std::string path) { chosenFile_ = std::move(path); }
    // What the address prompt answers; without an answer it takes its preset.
    void setAddressAnswer(std::optional<std::string> answer) { addressAnswer_ = std::move(answer); }

    // The texts of the message boxes shown so far, in order.
    const std::vector<std::string>& messages() const { return messages_; }
    // The notices shown at controls so far (why a port did not open), in order.
    const std::vector<std::string>& notices() const { return notices_; }
    bool beeped() const { return beeped_; }

    std::string text(int controlId) const override;
    void setText(int controlId, std::string_view latin1) override;
    void setEnabled(int, bool) override {}
    void setEditorBackground(Rgb) override {}
    void checkPortItem(int) override {}
    void grow() override {}
    // The command line, where a typed command goes.
    int focusedControl() const override { return kCommandLine; }

    void showMessage(std::string_view title, std::string_view text, MessageIcon icon) override;
    std::optional<std::string> askText(std::string_view title, std::string_view prompt,
                                       std::string_view preset) override;
    std::string chooseFile(std::string_view title, std::string_view filter) override;
    void beep() override { beeped_ = true; }
    void showNotice(int, std::string_view latin1) override { notices_.emplace_back(latin1); }

    // There is no one to close the window: the loop ends at once.
    Event waitEvent() override { return Event::close(); }
    Event waitEventUntil(Clock::time_point deadline) override;

  private:
    std::function<bool()> stopRequested_;
    std::map<int, std::string> texts_;
    std::string chosenFile_;
    std::optional<std::string> addressAnswer_;
    std::vector<std::string> messages_;
    std::vector<std::string> notices_;
    bool beeped_ = false;
};

}  // namespace morvale::console

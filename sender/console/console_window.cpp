#include "console_window.h"

#include <time.h>

#include "file_descriptor.h"

namespace morvale::console {

ConsoleWindow::ConsoleWindow(std::function<bool()> stopRequested)
    : stopRequested_(std::move(stopRequested)) {}

std::string ConsoleWindow::text(int controlId) const {
    const auto found = texts_.find(controlId);
    return found == texts_.end() ? std::string() : found->second;
}

void ConsoleWindow::setText(int controlId, std::string_view latin1) {
    texts_[controlId] = std::string(latin1);
}

void ConsoleWindow::showMessage(std::string_view /*title*/, std::string_view text,
                                MessageIcon /*icon*/) {
    messages_.emplace_back(text);
}

std::optional<std::string> ConsoleWindow::askText(std::string_view /*title*/,
                                                  std::string_view /*prompt*/,
                                                  std::string_view preset) {
    return addressAnswer_ ? *addressAnswer_ : std::string(preset);
}

std::string ConsoleWindow::chooseFile(std::string_view /*title*/, std::string_view /*filter*/) {
    return chosenFile_;
}

Event ConsoleWindow::waitEventUntil(Clock::time_point deadline) {
    // The steady clock is CLOCK_MONOTONIC; an absolute sleep does not drift
    // when a signal interrupts it.
    const auto sinceEpoch = deadline.time_since_epoch();
    const auto seconds = std::chrono::duration_cast<std::chrono::seconds>(sinceEpoch);
    const timespec until{static_cast<time_t>(seconds.count()),
                         static_cast<long>((sinceEpoch - seconds) / std::chrono::nanoseconds(1))};
    posix_io::sleepUntil(CLOCK_MONOTONIC, until);
    return stopRequested_() ? Event::control(kSendButton) : Event::none();
}

}  // namespace morvale::console

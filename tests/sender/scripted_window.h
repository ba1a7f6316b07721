// A window double for the sender's logic: it records what the logic does to
// the window, answers dialogs from a script and hands out scripted events at
// exact ticks. With realTime it also sleeps until each tick's deadline, so
// that the pauses on a real line last as long as they must.
#pragma once

#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "transcript.h"
#include "window.h"

namespace morvale::testing {

struct ShownMessage {
    std::string title;
    std::string text;
    MessageIcon icon = MessageIcon::None;
};

struct AskedText {
    std::string title;
    std::string prompt;
    std::string preset;
};

class ScriptedWindow final : public Window {
  public:
    explicit ScriptedWindow(Transcript& transcript) : transcript_(transcript) {}

    // Script.
    bool realTime = false;
    int focus = kCommandLine;
    std::deque<Event> events;                        // returned by waitEvent, in order
    std::map<int, Event> eventAtTick;                // tick number (from 1) -> event it returns
    std::function<void(int tick)> onTick;            // runs at the start of every tick
    std::deque<std::optional<std::string>> answers;  // for askText; cancel when empty
    std::deque<std::string> chosenFiles;             // for chooseFile; cancel when empty
    std::deque<std::string> savePaths;               // for chooseSaveFile; cancel when empty

    // What happened.
    std::map<int, std::string> texts;
    std::map<int, bool> enabled;
    Rgb background{0xFF, 0xFF, 0xFF};
    int checkedPortItem = 0;
    int growCount = 0;
    int beeps = 0;
    int ticks = 0;
    std::vector<Clock::time_point> tickDeadlines;
    std::vector<ShownMessage> messages;
    std::vector<AskedText> prompts;
    std::vector<std::string> fileDialogs;  // title|filter of each dialog
    std::vector<std::string> saveDialogs;  // title|filter of each dialog
    std::map<int, bool> kcItemChecks;
    std::vector<std::pair<int, std::string>> notices;  // control id, text

    bool isEnabled(int id) const;

    std::string text(int controlId) const override;
    void setText(int controlId, std::string_view latin1) override;
    void setEnabled(int controlId, bool on) override;
    void setEditorBackground(Rgb colour) override;
    void checkPortItem(int menuId) override;
    void checkKcItem(int menuId, bool checked) override { kcItemChecks[menuId] = checked; }
    void grow() override;
    int focusedControl() const override { return focus; }
    void showMessage(std::string_view title, std::string_view text, MessageIcon icon) override;
    std::optional<std::string> askText(std::string_view title, std::string_view prompt,
                                       std::string_view preset) override;
    std::string chooseFile(std::string_view title, std::string_view filter) override;
    std::string chooseSaveFile(std::string_view title, std::string_view filter) override;
    void beep() override;
    void showNotice(int controlId, std::string_view latin1) override;
    Event waitEvent() override;
    Event waitEventUntil(Clock::time_point deadline) override;
    // Waits the ticks one by one, so that the script can address each.
    Event waitTicks(Clock::time_point start, Clock::duration tick, int& done, int last) override;

  private:
    Transcript& transcript_;
};

}  // namespace morvale::testing

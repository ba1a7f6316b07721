#include "scripted_window.h"

#include <thread>

namespace morvale::testing {

bool ScriptedWindow::isEnabled(int id) const {
    const auto it = enabled.find(id);
    return it == enabled.end() || it->second;
}

std::string ScriptedWindow::text(int controlId) const {
    const auto it = texts.find(controlId);
    return it == texts.end() ? std::string() : it->second;
}

void ScriptedWindow::setText(int controlId, std::string_view latin1) {
    texts[controlId] = std::string(latin1);
    transcript_.add("text " + std::to_string(controlId) + " " + std::string(latin1));
}

void ScriptedWindow::setEnabled(int controlId, bool on) {
    enabled[controlId] = on;
    transcript_.add((on ? "enable " : "disable ") + std::to_string(controlId));
}

void ScriptedWindow::setEditorBackground(Rgb colour) {
    background = colour;
    transcript_.add(colour == Rgb{0xFF, 0, 0} ? "background red" : "background other");
}

void ScriptedWindow::checkPortItem(int menuId) {
    checkedPortItem = menuId;
}

void ScriptedWindow::grow() {
    ++growCount;
}

void ScriptedWindow::showMessage(std::string_view title, std::string_view text, MessageIcon icon) {
    messages.push_back({std::string(title), std::string(text), icon});
    transcript_.add("message " + std::string(text));
}

std::optional<std::string> ScriptedWindow::askText(std::string_view title, std::string_view prompt,
                                                   std::string_view preset) {
    prompts.push_back({std::string(title), std::string(prompt), std::string(preset)});
    if (answers.empty()) {
        return std::nullopt;
    }
    auto answer = answers.front();
    answers.pop_front();
    return answer;
}

namespace {

std::string answerDialog(std::vector<std::string>& dialogs, std::deque<std::string>& paths,
                         std::string_view title, std::string_view filter) {
    dialogs.push_back(std::string(title) + "|" + std::string(filter));
    if (paths.empty()) {
        return {};
    }
    std::string path = paths.front();
    paths.pop_front();
    return path;
}

}  // namespace

std::string ScriptedWindow::chooseFile(std::string_view title, std::string_view filter) {
    return answerDialog(fileDialogs, chosenFiles, title, filter);
}

std::string ScriptedWindow::chooseSaveFile(std::string_view title, std::string_view filter) {
    return answerDialog(saveDialogs, savePaths, title, filter);
}

void ScriptedWindow::beep() {
    ++beeps;
    transcript_.add("beep");
}

void ScriptedWindow::showNotice(int controlId, std::string_view latin1) {
    notices.emplace_back(controlId, std::string(latin1));
    transcript_.add("notice " + std::to_string(controlId) + " " + std::string(latin1));
}

Event ScriptedWindow::waitEvent() {
    if (events.empty()) {
        return Event::close();  // a script that runs out ends the program
    }
    const Event event = events.front();
    events.pop_front();
    return event;
}

Event ScriptedWindow::waitEventUntil(Clock::time_point deadline) {
    ++ticks;
    tickDeadlines.push_back(deadline);
    transcript_.tick();
    if (onTick) {
        onTick(ticks);
    }
    if (const auto it = eventAtTick.find(ticks); it != eventAtTick.end()) {
        return it->second;
    }
    if (realTime) {
        std::this_thread::sleep_until(deadline);
    }
    return Event::none();
}

Event ScriptedWindow::waitTicks(Clock::time_point start, Clock::duration tick, int& done,
                                int last) {
    while (done < last) {
        ++done;
        if (const Event event = waitEventUntil(start + done * tick);
            event.kind != Event::Kind::None) {
            return event;
        }
    }
    return Event::none();
}

}  // namespace morvale::testing

// The sender's window on Qt Widgets, as the window program sees it (morvale::Window).
//
// Clicks, menu choices, the command line's Return key and close requests
// are queued as application events; everything else a window does (painting,
// focus, typing inside the controls, moving) stays inside Qt. The waits run
// Qt's event processing themselves, so the sender needs no QApplication::exec().
// Create it after the QApplication; it shows the main window at once.
//
// Qt moves the focus on to the next control when the one holding it is
// disabled. The transfers disable the controls while they run, so instead the
// focus is parked on the window itself (keys typed meanwhile go nowhere) and
// the control that had it gets it back when it is enabled again, unless the
// user has put the focus elsewhere in between.
//
// The port items keep their texts "COM1" to "COM4"; what each stands for
// shows as its tool tip, asked for anew each time the menu is about to show,
// since adapters come and go while the program runs.
#pragma once

#include <QPointer>
#include <QWidget>
#include <deque>
#include <functional>
#include <memory>
#include <string>

#include "window.h"

namespace morvale::ui {
class DeadlineWait;
class MainWindow;
}  // namespace morvale::ui

namespace morvale {

class QtWindow : public Window {
  public:
    // What port item menuId (1 to 4) stands for, in Latin-1 (0x96 a dash).
    using PortDescriber = std::function<std::string(int menuId)>;

    // Builds the main window and shows it (show = false leaves it hidden,
    // for tests that need no window on screen).
    explicit QtWindow(bool show = true);
    ~QtWindow() override;

    QtWindow(const QtWindow&) = delete;
    QtWindow& operator=(const QtWindow&) = delete;

    std::string text(int controlId) const override;
    void setText(int controlId, std::string_view latin1) override;
    void setEnabled(int controlId, bool enabled) override;
    void setEditorBackground(Rgb colour) override;
    void checkPortItem(int menuId) override;
    void checkKcItem(int menuId, bool checked) override;
    void grow() override;
    int focusedControl() const override;

    void showMessage(std::string_view title, std::string_view text, MessageIcon icon) override;
    std::optional<std::string> askText(std::string_view title, std::string_view prompt,
                                       std::string_view preset) override;
    std::string chooseFile(std::string_view title, std::string_view filter) override;
    std::string chooseSaveFile(std::string_view title, std::string_view filter) override;
    void beep() override;
    void showNotice(int controlId, std::string_view latin1) override;

    Event waitEvent() override;
    Event waitEventUntil(Clock::time_point deadline) override;

    // Has the port items described by describe whenever the menu opens;
    // without one they carry no description.
    void describePorts(PortDescriber describe);

    // The widgets, for tests and the program's start-up.
    ui::MainWindow& mainWindow() { return *mainWindow_; }
    // Application events waiting to be taken.
    std::size_t pendingEvents() const { return queue_.size(); }

  private:
    void enqueue(const Event& event);
    Event takeEvent();
    void describePortItems();

    std::unique_ptr<ui::MainWindow> mainWindow_;
    std::unique_ptr<ui::DeadlineWait> deadlineWait_;
    std::deque<Event> queue_;
    PortDescriber describePort_;
    // The control that had the focus when it was disabled; it gets the focus
    // back when enabled again, unless the user has put it elsewhere meanwhile.
    QPointer<QWidget> parkedFocus_;
    bool movingFocus_ = false;  // focus changes made by setEnabled itself
};

}  // namespace morvale

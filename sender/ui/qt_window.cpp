#include "qt_window.h"

#include <QAction>
#include <QApplication>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QScopedValueRollback>
#include <QToolTip>
#include <utility>

#include "address_prompt.h"
#include "command_line.h"
#include "console_beep.h"
#include "deadline_wait.h"
#include "editor.h"
#include "file_chooser.h"
#include "latin1_text.h"
#include "main_window.h"

namespace morvale {

namespace {

constexpr int kNoticeMilliseconds = 5000;

}  // namespace

QtWindow::QtWindow(bool show)
    : mainWindow_(std::make_unique<ui::MainWindow>()),
      deadlineWait_(std::make_unique<ui::DeadlineWait>()) {
    ui::MainWindow* w = mainWindow_.get();
    QObject::connect(w, &ui::MainWindow::controlClicked, w,
                     [this](int controlId) { enqueue(Event::control(controlId)); });
    QObject::connect(w, &ui::MainWindow::menuChosen, w,
                     [this](int menuId) { enqueue(Event::menu(menuId)); });
    QObject::connect(w, &ui::MainWindow::returnKey, w,
                     [this] { enqueue(Event::menu(kReturnKeyItem)); });
    QObject::connect(w, &ui::MainWindow::closeRequested, w, [this] { enqueue(Event::close()); });
    QObject::connect(w, &ui::MainWindow::portMenuShowing, w, [this] { describePortItems(); });
    QObject::connect(qApp, &QApplication::focusChanged, w, [this](QWidget*, QWidget* now) {
        if (!movingFocus_ && now != nullptr) {
            parkedFocus_ = nullptr;
        }
    });
    if (show) {
        w->show();
        w->activateWindow();
    }
}

QtWindow::~QtWindow() = default;

void QtWindow::enqueue(const Event& event) {
    // A close request repeated before the first was taken adds nothing. Clicks
    // are never merged: two presses of a key button are two keys.
    if (event.kind == Event::Kind::Close && !queue_.empty() && queue_.back() == event) {
        return;
    }
    queue_.push_back(event);
}

Event QtWindow::takeEvent() {
    if (queue_.empty()) {
        return Event::none();
    }
    const Event event = queue_.front();
    queue_.pop_front();
    return event;
}

std::string QtWindow::text(int controlId) const {
    QWidget* control = mainWindow_->control(controlId);
    if (auto* editor = qobject_cast<ui::Editor*>(control)) {
        return editor->latin1Text();
    }
    if (auto* line = qobject_cast<QLineEdit*>(control)) {
        return ui::toLatin1(line->text());
    }
    if (auto* button = qobject_cast<QPushButton*>(control)) {
        return ui::toLatin1(button->text());
    }
    return {};
}

void QtWindow::setText(int controlId, std::string_view latin1) {
    QWidget* control = mainWindow_->control(controlId);
    if (auto* editor = qobject_cast<ui::Editor*>(control)) {
        editor->setLatin1Text(latin1);
    } else if (auto* line = qobject_cast<QLineEdit*>(control)) {
        line->setText(ui::fromLatin1(latin1));
    } else if (auto* button = qobject_cast<QPushButton*>(control)) {
        button->setText(ui::fromLatin1(latin1));
    }
}

void QtWindow::setEnabled(int controlId, bool enabled) {
    QWidget* control = mainWindow_->control(controlId);
    if (control == nullptr) {
        return;
    }
    const QScopedValueRollback<bool> guard(movingFocus_, true);
    const bool hadFocus = mainWindow_->focusWidget() == control;
    control->setEnabled(enabled);
    if (!enabled && hadFocus) {
        if (parkedFocus_ == nullptr) {
            parkedFocus_ = control;
        }
        // Qt has passed the focus on to the next control; keep it off the
        // controls instead, so that keys typed meanwhile go nowhere.
        mainWindow_->setFocus(Qt::OtherFocusReason);
    }
    if (enabled && control == parkedFocus_) {
        parkedFocus_ = nullptr;
        control->setFocus(Qt::OtherFocusReason);
    }
}

void QtWindow::setEditorBackground(Rgb colour) {
    mainWindow_->editor()->setBackground(QColor(colour.red, colour.green, colour.blue));
}

void QtWindow::checkPortItem(int menuId) {
    mainWindow_->checkPortItem(menuId);
}

void QtWindow::checkKcItem(int menuId, bool checked) {
    mainWindow_->checkKcItem(menuId, checked);
}

void QtWindow::describePorts(PortDescriber describe) {
    describePort_ = std::move(describe);
}

void QtWindow::describePortItems() {
    if (!describePort_) {
        return;
    }
    for (int menuId = kFirstPortItem; menuId <= kLastPortItem; ++menuId) {
        const QString description = ui::noticeFromLatin1(describePort_(menuId));
        QAction* item = mainWindow_->portItem(menuId);
        item->setToolTip(description);
        item->setStatusTip(description);
    }
}

void QtWindow::grow() {
    mainWindow_->grow();
}

int QtWindow::focusedControl() const {
    QWidget* focus = QApplication::focusWidget();
    if (focus == nullptr || focus->window() != mainWindow_.get()) {
        return -1;
    }
    return ui::MainWindow::controlIdOf(focus);
}

void QtWindow::showMessage(std::string_view title, std::string_view text, MessageIcon icon) {
    QMessageBox box(icon == MessageIcon::Exclamation ? QMessageBox::Warning : QMessageBox::NoIcon,
                    ui::fromLatin1(title), ui::fromLatin1(text), QMessageBox::Ok,
                    mainWindow_.get());
    box.exec();
}

std::optional<std::string> QtWindow::askText(std::string_view title, std::string_view prompt,
                                             std::string_view preset) {
    ui::AddressPrompt dialog(mainWindow_.get(), ui::fromLatin1(title), ui::fromLatin1(prompt),
                             ui::fromLatin1(preset));
    const std::optional<QString> answer = dialog.ask();
    if (!answer) {
        return std::nullopt;
    }
    return ui::toLatin1(*answer);
}

std::string QtWindow::chooseFile(std::string_view title, std::string_view filter) {
    ui::FileChooser dialog(mainWindow_.get(), ui::fromLatin1(title),
                           ui::nameFiltersFromText(filter));
    return dialog.choose();
}

std::string QtWindow::chooseSaveFile(std::string_view title, std::string_view filter) {
    ui::FileChooser dialog(mainWindow_.get(), ui::fromLatin1(title),
                           ui::nameFiltersFromText(filter), QFileDialog::AcceptSave);
    return dialog.choose();
}

void QtWindow::beep() {
    ui::beep();
}

void QtWindow::showNotice(int controlId, std::string_view latin1) {
    QWidget* control = mainWindow_->control(controlId);
    if (control == nullptr) {
        return;
    }
    const QString text = ui::noticeFromLatin1(latin1);
    // Below the control's left end, where its own tool tip would show.
    const QPoint at = control->mapToGlobal(QPoint(0, control->height()));
    QToolTip::showText(at, text, control, QRect(), kNoticeMilliseconds);
}

Event QtWindow::waitEvent() {
    while (queue_.empty()) {
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
    }
    return takeEvent();
}

Event QtWindow::waitEventUntil(Clock::time_point deadline) {
    if (queue_.empty()) {
        deadlineWait_->waitUntil(deadline, [this] { return !queue_.empty(); });
    }
    return takeEvent();
}

}  // namespace morvale

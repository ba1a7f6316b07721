// Helpers for driving the real widgets in tests.
#pragma once

#include <gtest/gtest.h>

#include <QApplication>
#include <QDialog>
#include <QKeyEvent>
#include <QPointer>
#include <QString>
#include <QTest>
#include <QTimer>
#include <QWidget>
#include <functional>
#include <ostream>
#include <vector>

#include "qt_window.h"

namespace morvale {

inline void PrintTo(const Event& event, std::ostream* os) {
    static const char* const kinds[] = {"none", "control", "menu", "close"};
    *os << kinds[static_cast<int>(event.kind)] << "(" << event.id << ")";
}

}  // namespace morvale

namespace morvale::testing {

// Shows the window, waits until it is active, and returns whether it became
// so. A window shown already is not asked again: the second request could be
// granted late, over a dialog opened meanwhile.
inline bool activate(QtWindow& window) {
    QWidget& w = window.mainWindow();
    if (!w.isVisible()) {
        w.show();
        w.activateWindow();
    }
    return QTest::qWaitForWindowActive(&w);
}

// A shown and active main window, for tests of focus, keys and dialogs.
class ActiveWindowTest : public ::testing::Test {
  protected:
    void SetUp() override { ASSERT_TRUE(activate(window)); }

    QtWindow window;
};

// Types each character as a key press carrying that text, as a keyboard
// layout with the character on a key would.
inline void typeText(QWidget* widget, const QString& text) {
    for (const QChar c : text) {
        QKeyEvent press(QEvent::KeyPress, Qt::Key_unknown, Qt::NoModifier, QString(c));
        QApplication::sendEvent(widget, &press);
        QKeyEvent release(QEvent::KeyRelease, Qt::Key_unknown, Qt::NoModifier, QString(c));
        QApplication::sendEvent(widget, &release);
    }
}

// Takes every application event that is queued now, without waiting.
inline std::vector<Event> takeQueued(QtWindow& window) {
    std::vector<Event> events;
    while (window.pendingEvents() > 0) {
        events.push_back(window.waitEventUntil(Clock::now()));
    }
    return events;
}

// Runs answer once on the modal dialog of type T as soon as it is shown.
template <typename T>
void answerModal(std::function<void(T*)> answer) {
    auto* timer = new QTimer;
    timer->setInterval(5);
    QObject::connect(timer, &QTimer::timeout, [timer, answer] {
        auto* dialog = qobject_cast<T*>(QApplication::activeModalWidget());
        if (dialog == nullptr || !dialog->isVisible()) {
            return;
        }
        timer->stop();
        // A nested event loop inside answer may delete the timer, and this
        // lambda with it.
        const std::function<void(T*)> run = answer;
        timer->deleteLater();
        const QPointer<T> shown(dialog);
        run(dialog);
        if (shown && shown->isVisible()) {
            ADD_FAILURE() << "the dialog was left open";
            shown->reject();
        }
    });
    timer->start();
}

}  // namespace morvale::testing

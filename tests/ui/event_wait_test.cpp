#include <gtest/gtest.h>

#include <QMouseEvent>
#include <QPushButton>
#include <QTimer>
#include <chrono>

#include "main_window.h"
#include "pacer.h"
#include "ui_test_support.h"

namespace morvale {
namespace {

using namespace std::chrono_literals;
using testing::activate;

// Clicks a button from inside a wait, as a user would.
void clickLater(QtWindow& window, int controlId, std::chrono::milliseconds delay) {
    QTimer::singleShot(delay, window.mainWindow().control(controlId), [&window, controlId] {
        qobject_cast<QPushButton*>(window.mainWindow().control(controlId))->click();
    });
}

// Keeps the window busy: repaints, mouse moves and a timer every 2 ms.
class WindowActivity {
  public:
    explicit WindowActivity(QWidget* target) {
        timer_.setInterval(2);
        QObject::connect(&timer_, &QTimer::timeout, [this, target] {
            ++fired_;
            target->update();
            const QPointF at(10 + fired_ % 50, 10);
            QApplication::postEvent(
                target, new QMouseEvent(QEvent::MouseMove, at, at, at, Qt::NoButton, Qt::NoButton,
                                        Qt::NoModifier));
            QApplication::postEvent(target, new QEvent(QEvent::UpdateRequest));
        });
        timer_.start();
    }
    int fired() const { return fired_; }

  private:
    QTimer timer_;
    int fired_ = 0;
};

TEST(WaitEventUntil, ReturnsNoEventAtTheDeadlineNotBefore) {
    QtWindow window;
    ASSERT_TRUE(activate(window));
    for (const auto wait : {1ms, 6ms, 20ms}) {
        const auto deadline = Clock::now() + wait;
        EXPECT_EQ(window.waitEventUntil(deadline), Event::none());
        EXPECT_GE(Clock::now(), deadline);
    }
}

// Upper bounds catch a wait that runs to its deadline though an event is
// there: far below the deadline, far above what the event takes, and run
// alone (the suite names end in Timing).
TEST(WaitEventUntilTiming, ReturnsAQueuedEventAtOnce) {
    QtWindow window;
    ASSERT_TRUE(activate(window));
    QTest::mouseClick(window.mainWindow().control(4), Qt::LeftButton);
    QTest::mouseClick(window.mainWindow().control(5), Qt::LeftButton);
    const auto start = Clock::now();
    EXPECT_EQ(window.waitEventUntil(start + 10s), Event::control(4));
    EXPECT_EQ(window.waitEventUntil(start + 10s), Event::control(5));
    EXPECT_LT(Clock::now() - start, 1s);
}

TEST(WaitEventUntilTiming, ReturnsAnEventArrivingDuringTheWait) {
    QtWindow window;
    ASSERT_TRUE(activate(window));
    const auto start = Clock::now();
    clickLater(window, kSendButton, 10ms);
    EXPECT_EQ(window.waitEventUntil(start + 10s), Event::control(kSendButton));
    const auto took = Clock::now() - start;
    EXPECT_GE(took, 10ms);
    EXPECT_LT(took, 1s);
}

TEST(WaitEventUntil, WindowActivityDoesNotEndItEarly) {
    QtWindow window;
    ASSERT_TRUE(activate(window));
    WindowActivity activity(&window.mainWindow());
    // Short waits until the activity has run in them five times, however
    // slowly a busy machine lets it run.
    for (int i = 0; i < 1000 && activity.fired() < 5; ++i) {
        const auto deadline = Clock::now() + 10ms;
        EXPECT_EQ(window.waitEventUntil(deadline), Event::none());
        EXPECT_GE(Clock::now(), deadline);
    }
    EXPECT_GE(activity.fired(), 5);
}

TEST(WaitEventUntil, PastDeadlineStillDeliversWhatIsWaiting) {
    QtWindow window;
    ASSERT_TRUE(activate(window));
    QMetaObject::invokeMethod(window.mainWindow().control(7), "click", Qt::QueuedConnection);
    EXPECT_EQ(window.waitEventUntil(Clock::now() - 1ms), Event::control(7));
    EXPECT_EQ(window.waitEventUntil(Clock::now() - 1ms), Event::none());
}

TEST(WaitEvent, WaitsForTheNextApplicationEvent) {
    QtWindow window;
    ASSERT_TRUE(activate(window));
    WindowActivity activity(&window.mainWindow());
    const auto start = Clock::now();
    QTimer::singleShot(30ms, &window.mainWindow(), [&window] { window.mainWindow().close(); });
    EXPECT_EQ(window.waitEvent(), Event::close());
    EXPECT_GE(Clock::now() - start, 30ms);
}

TEST(Pause, FiftyTicksLastFiftyMillisecondsDespiteMouseActivity) {
    QtWindow window;
    ASSERT_TRUE(activate(window));
    WindowActivity activity(&window.mainWindow());
    const auto start = Clock::now();
    pauseTicks(window, 50);
    EXPECT_GE(Clock::now() - start, 50ms);
}

TEST(Pause, ClickEndsTheTickItArrivedInButNotTheSchedule) {
    QtWindow window;
    ASSERT_TRUE(activate(window));
    clickLater(window, kSendButton, 2ms);  // due before the pause's second tick ends
    const auto start = Clock::now();
    Pause pause(window);
    int stops = 0;
    int doneAtClick = 0;
    while (pause.ticksDone() < 10) {
        if (pause.waitThrough(10)) {
            ++stops;
            doneAtClick = pause.ticksDone();
        }
    }
    EXPECT_EQ(stops, 1);
    // On a busy machine the click may be taken as late as the last tick,
    // which it then ends; any earlier, the pause still runs to its end.
    ASSERT_GE(doneAtClick, 1);
    if (doneAtClick < 10) {
        EXPECT_GE(Clock::now() - start, 10ms);
    }
}

}  // namespace
}  // namespace morvale

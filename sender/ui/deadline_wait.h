// Waiting for Qt events up to an exact point of time.
//
// Qt's timers count whole milliseconds and may wake up late; a pause of 50
// ticks built on them would stretch by the sum of their errors. Instead a
// timerfd on CLOCK_MONOTONIC (the clock behind std::chrono::steady_clock) is
// armed with the absolute deadline and watched by a QSocketNotifier, so the
// event dispatcher sleeps in poll() until a window event or the deadline,
// whichever comes first. Window events are handled meanwhile; only the
// caller's condition or the deadline ends the wait. No busy waiting.
#pragma once

#include <QObject>
#include <chrono>
#include <functional>

class QSocketNotifier;

namespace morvale::ui {

class DeadlineWait : public QObject {
    Q_OBJECT
  public:
    explicit DeadlineWait(QObject* parent = nullptr);
    ~DeadlineWait() override;

    // Processes Qt events until done() answers true or deadline has passed.
    // done() is asked before each wait. With a deadline already past, the
    // events waiting now are processed once without blocking.
    void waitUntil(std::chrono::steady_clock::time_point deadline,
                   const std::function<bool()>& done);

  private:
    void arm(std::chrono::steady_clock::time_point deadline);
    void disarm();

    int fd_ = -1;
    QSocketNotifier* notifier_ = nullptr;
    bool expired_ = false;
};

}  // namespace morvale::ui

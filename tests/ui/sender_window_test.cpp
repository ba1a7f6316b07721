// The program's parts together: the real window, the real sender logic and
// the real termios link, with pseudo-terminal peers as the KC's end of the
// line. The sender's own loop runs; the user's actions come from timers.
#include <gtest/gtest.h>

#include <QAction>
#include <QTimer>
#include <chrono>
#include <cstdlib>
#include <functional>
#include <thread>

#include "command_line.h"
#include "main_window.h"
#include "pty_peer.h"
#include "sender.h"
#include "termios_serial_link.h"
#include "timed_link.h"
#include "ui_test_support.h"

namespace morvale {
namespace {

using namespace std::chrono_literals;
using testing::activate;
using testing::PtyPeer;
using testing::TimedLink;

std::vector<std::uint8_t> bytesOf(std::string_view text) {
    return {text.begin(), text.end()};
}

// Runs a step every few milliseconds from inside the sender's waits until it
// answers true.
class Repeat {
  public:
    explicit Repeat(std::function<bool()> step) : step_(std::move(step)) {
        QObject::connect(&timer_, &QTimer::timeout, [this] {
            if (step_()) {
                timer_.stop();
            }
        });
        timer_.start(5);
    }

  private:
    std::function<bool()> step_;
    QTimer timer_;
};

class SenderWindow : public ::testing::Test {
  protected:
    SenderWindow() {
        ::setenv("MORVALE_COM2", com2.devicePath().c_str(), 1);
        ::setenv("MORVALE_COM3", com3.devicePath().c_str(), 1);
    }
    ~SenderWindow() override {
        ::unsetenv("MORVALE_COM2");
        ::unsetenv("MORVALE_COM3");
    }

    void SetUp() override { ASSERT_TRUE(activate(window)); }

    ui::CommandLine* commandLine() { return window.mainWindow().commandLine(); }
    QWidget* control(int id) { return window.mainWindow().control(id); }

    // Runs the sender's loop until the window is closed. The close is asked
    // for, again and again, once done() holds: one that lands inside a
    // transfer's pause is lost, as it should be. Gives up after 10 s.
    void runUntil(const std::function<bool()>& done) {
        const auto giveUp = Clock::now() + 10s;
        Repeat closer([&] {
            const bool late = Clock::now() > giveUp;
            if (late || done()) {
                timedOut_ = late;
                window.mainWindow().close();
            }
            return false;
        });
        sender.run();
        EXPECT_FALSE(timedOut_) << "the sender did not finish in time";
    }

    PtyPeer com2;
    PtyPeer com3;
    QtWindow window{false};
    std::vector<std::string> diagnostics;
    TermiosSerialLink link{[this](std::string_view line) { diagnostics.emplace_back(line); }};
    TimedLink timed{link};
    Sender sender{window, timed};

  private:
    bool timedOut_ = false;
};

TEST_F(SenderWindow, TypedCommandGoesOutPacedThenCarriageReturnAndTheLineIsEmptied) {
    // Writes as long as a real line's: the pause comes after each, not within.
    timed.lineTime = 8ms;
    QTimer::singleShot(0, [this] {
        QTest::keyClicks(commandLine(), "print \"ok\"");
        QTest::keyClick(commandLine(), Qt::Key_Enter, Qt::KeypadModifier);
    });
    runUntil(
        [this] { return com2.receivedBytes().size() >= 11 && commandLine()->text().isEmpty(); });
    EXPECT_EQ(com2.receivedBytes(), bytesOf("PRINT \"OK\"\r"));
    ASSERT_EQ(timed.writes.size(), 11u);
    for (std::size_t i = 0; i + 1 < timed.writes.size(); ++i) {
        EXPECT_GE(timed.pauseAfter(i), 6.0) << "after write " << i;
    }
    EXPECT_EQ(window.text(kCommandLine), "");
    EXPECT_TRUE(com3.receivedBytes().empty());
    EXPECT_TRUE(diagnostics.empty());
}

TEST_F(SenderWindow, EachKeyButtonSendsItsOneByte) {
    const std::vector<std::uint8_t> codes{0xF1, 0xF2, 0xF3, 0xF4, 0xF5, 0xF6,
                                          0x03, 0x13, 0x1A, 0x1F, 0x01, 0x10};
    QTimer::singleShot(0, [this] {
        for (int id = kFirstKeyButton; id <= kLastKeyButton; ++id) {
            QTest::mouseClick(control(id), Qt::LeftButton);
        }
    });
    runUntil([&] { return com2.receivedBytes().size() >= codes.size(); });
    std::this_thread::sleep_for(20ms);
    // STOP travels as data: the line's own flow control never sees it.
    EXPECT_EQ(com2.receivedBytes(), codes);
}

TEST_F(SenderWindow, ChoosingCom3RoutesTheNextCommandThere) {
    QTimer::singleShot(0, [this] {
        window.mainWindow().portItem(3)->trigger();
        QTimer::singleShot(20, [this] {
            commandLine()->setFocus();
            QTest::keyClicks(commandLine(), "run");
            QTest::keyClick(commandLine(), Qt::Key_Return);
        });
    });
    runUntil([this] { return com3.receivedBytes().size() >= 4; });
    std::this_thread::sleep_for(20ms);
    EXPECT_EQ(com3.receivedBytes(), bytesOf("RUN\r"));
    EXPECT_TRUE(com2.receivedBytes().empty());
    EXPECT_EQ(sender.state().portName, "COM3");
    for (int id = 1; id <= 4; ++id) {
        EXPECT_EQ(window.mainWindow().portItem(id)->isChecked(), id == 3);
    }
}

TEST_F(SenderWindow, MenuChoiceDuringACommandIsDroppedAndTheCheckStays) {
    QTimer::singleShot(0, [this] {
        QTest::keyClicks(commandLine(), "list 10-100");
        QTest::keyClick(commandLine(), Qt::Key_Return);
    });
    // Chosen while the command is being typed into the KC.
    timed.duringWrite = [this] {
        if (timed.writes.size() == 3) {
            window.mainWindow().portItem(4)->trigger();
        }
    };
    runUntil([this] { return com2.receivedBytes().size() >= 12; });
    EXPECT_EQ(com2.receivedBytes(), bytesOf("LIST 10-100\r"));
    EXPECT_EQ(sender.state().portName, "COM2");
    for (int id = 1; id <= 4; ++id) {
        EXPECT_EQ(window.mainWindow().portItem(id)->isChecked(), id == 2);
    }
}

TEST_F(SenderWindow, CloseRequestEndsTheLoop) {
    QTimer::singleShot(10, [this] { window.mainWindow().close(); });
    sender.run();
    EXPECT_TRUE(sender.state().quit);
    EXPECT_TRUE(window.mainWindow().isVisible());
    EXPECT_TRUE(com2.receivedBytes().empty());
}

}  // namespace
}  // namespace morvale

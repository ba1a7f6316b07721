// A port that does not open: the reason shows as a tool tip at the control
// the user worked, on the real widgets and the real link.
#include <gtest/gtest.h>

#include <QLabel>
#include <QToolTip>
#include <cstdlib>

#include "command_line.h"
#include "main_window.h"
#include "sender.h"
#include "termios_serial_link.h"
#include "ui_test_support.h"

namespace morvale {
namespace {

using testing::activate;

class PortNotice : public ::testing::Test {
  protected:
    PortNotice() { ::setenv("MORVALE_COM2", "/nonexistent/ttyUSB9", 1); }
    ~PortNotice() override { ::unsetenv("MORVALE_COM2"); }

    void SetUp() override { ASSERT_TRUE(activate(window)); }
    void TearDown() override { QToolTip::hideText(); }

    QWidget* control(int id) { return window.mainWindow().control(id); }
    void dispatchQueued() {
        for (const Event& event : testing::takeQueued(window)) {
            sender.dispatch(event);
        }
    }
    // The tool tip on screen, checked to stand at the control.
    QString tipAt(int id) {
        const QWidget* tip = nullptr;
        for (const QWidget* w : QApplication::topLevelWidgets()) {
            if (w->inherits("QTipLabel") && w->isVisible()) {
                tip = w;
            }
        }
        if (tip == nullptr) {
            return {};
        }
        // Just below the control's left end: Qt puts a tip 2 pixels right of
        // its point, or, where the screen is too narrow, ends it there.
        const QRect at(control(id)->mapToGlobal(QPoint(0, 0)), control(id)->size());
        EXPECT_LE(tip->x(), at.left() + 2) << "control " << id;
        EXPECT_GE(tip->geometry().right(), at.left() - 4) << "control " << id;
        EXPECT_GT(tip->y(), at.bottom()) << "control " << id;
        EXPECT_LT(tip->y(), at.bottom() + 40) << "control " << id;
        return QToolTip::text();
    }

    QtWindow window{false};
    TermiosSerialLink link{[](std::string_view) {}};
    Sender sender{window, link};
    const QString missing = QString::fromUtf8(
        "COM2 (/nonexistent/ttyUSB9) gibt es nicht – MORVALE_COM2 berichtigen oder löschen");
};

TEST_F(PortNotice, CommandLineShowsWhyAndKeepsItsText) {
    window.mainWindow().commandLine()->setFocus();
    QTest::keyClicks(window.mainWindow().commandLine(), "list");
    QTest::keyClick(window.mainWindow().commandLine(), Qt::Key_Return);
    dispatchQueued();
    EXPECT_EQ(tipAt(kCommandLine), missing);
    EXPECT_EQ(window.text(kCommandLine), "LIST");
}

TEST_F(PortNotice, KeyAndSendButtonsShowWhyAtThemselves) {
    QTest::mouseClick(control(kFirstKeyButton + 4), Qt::LeftButton);
    dispatchQueued();
    EXPECT_EQ(tipAt(kFirstKeyButton + 4), missing);

    QToolTip::hideText();
    window.setText(kEditor, "10 END\r\n");
    QTest::mouseClick(control(kSendButton), Qt::LeftButton);
    dispatchQueued();
    EXPECT_EQ(tipAt(kSendButton), missing);
    EXPECT_EQ(window.text(kSendButton), "Senden");
}

}  // namespace
}  // namespace morvale

#include <gtest/gtest.h>

#include <QAction>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>

#include "command_line.h"
#include "editor.h"
#include "main_window.h"
#include "ui_test_support.h"

namespace morvale {
namespace {

using testing::takeQueued;
using MainWindow = testing::ActiveWindowTest;

struct ControlRow {
    int id;
    int x, y, width, height;
    const char* caption;
    const char* toolTip;
};

const ControlRow kTable[] = {
    {1, 0, 0, 90, 40, "Laden", "Datei laden"},
    {2, 100, 0, 90, 40, "Senden", "geladene Datei senden"},
    {3, 220, 0, 40, 20, "F1", "Funktionstaste"},
    {4, 260, 0, 40, 20, "F2", "Funktionstaste"},
    {5, 300, 0, 40, 20, "F3", "Funktionstaste"},
    {6, 340, 0, 40, 20, "F4", "Funktionstaste"},
    {7, 380, 0, 40, 20, "F5", "Funktionstaste"},
    {8, 420, 0, 40, 20, "F6", "Funktionstaste"},
    {9, 220, 21, 40, 20, "BRK", "Funktionstaste"},
    {10, 260, 21, 40, 20, "STOP", "Funktionstaste"},
    {11, 300, 21, 40, 20, "INS", "Funktionstaste"},
    {12, 340, 21, 40, 20, "DEL", "Funktionstaste"},
    {13, 380, 21, 40, 20, "CLR", "Funktionstaste"},
    {14, 420, 21, 40, 20, "HOME", "Funktionstaste"},
    {16, 0, 55, 460, 20, "", "'ENTER' sendet Eingabe"},
    {15, 0, 80, 460, 385, "", "geladener zu sendender TEXT"},
};

int menuHeight(QtWindow& window) {
    return window.mainWindow().menuBar()->geometry().height();
}

TEST_F(MainWindow, OpensWithTitleFixedCompactSizeAndPlace) {
    ui::MainWindow& w = window.mainWindow();
    EXPECT_EQ(w.windowTitle(), QString(" Morvale"));
    EXPECT_EQ(w.size(), QSize(460, 97));
    EXPECT_EQ(w.minimumSize(), w.maximumSize());
    EXPECT_EQ(w.frameGeometry().topLeft(), QPoint(236, 147));
    const Qt::WindowFlags flags = w.windowFlags();
    EXPECT_FALSE(flags & Qt::WindowMinimizeButtonHint);
    EXPECT_FALSE(flags & Qt::WindowMaximizeButtonHint);
    EXPECT_TRUE(flags & Qt::WindowCloseButtonHint);
    EXPECT_TRUE(flags & Qt::WindowSystemMenuHint);
    // The editor lies below the compact client area; both texts start empty.
    EXPECT_GE(w.control(kEditor)->geometry().top(), w.height());
    EXPECT_TRUE(window.text(kEditor).empty());
    EXPECT_TRUE(window.text(kCommandLine).empty());
}

TEST_F(MainWindow, PlacesEveryControlBelowTheMenuRowWithCaptionTipAndId) {
    ui::MainWindow& w = window.mainWindow();
    const int top = menuHeight(window);
    EXPECT_GT(top, 0);
    EXPECT_EQ(w.menuBar()->geometry().topLeft(), QPoint(0, 0));
    EXPECT_EQ(w.menuBar()->width(), 460);
    for (const ControlRow& row : kTable) {
        SCOPED_TRACE(row.id);
        QWidget* control = w.control(row.id);
        ASSERT_NE(control, nullptr);
        EXPECT_EQ(control->geometry(), QRect(row.x, row.y + top, row.width, row.height));
        EXPECT_EQ(control->toolTip(), QString::fromUtf8(row.toolTip));
        EXPECT_EQ(control->property("controlId").toInt(), row.id);
        EXPECT_EQ(ui::MainWindow::controlIdOf(control), row.id);
        EXPECT_EQ(window.text(row.id), row.caption);
        EXPECT_TRUE(control->isEnabled());
    }
    auto* label = w.findChild<QLabel*>();
    ASSERT_NE(label, nullptr);
    EXPECT_EQ(label->text(), QString("Kommando eingeben:"));
    EXPECT_EQ(label->geometry(), QRect(0, 40 + top, 250, 15));
    EXPECT_EQ(label->focusPolicy(), Qt::NoFocus);
    EXPECT_TRUE(label->toolTip().isEmpty());
    EXPECT_EQ(ui::MainWindow::controlIdOf(label), -1);
    EXPECT_TRUE(w.testAttribute(Qt::WA_AlwaysShowToolTips));
}

TEST_F(MainWindow, SetTextReplacesLineAndCaptionsAndSkipsUnknownControls) {
    const std::pair<int, std::string> texts[] = {{kCommandLine, "LIST"},
                                                 {kCommandLine, ""},
                                                 {kSendButton, "Abbruch"},
                                                 {kSendButton, "Senden"}};
    for (const auto& [id, text] : texts) {
        window.setText(id, text);
        EXPECT_EQ(window.text(id), text) << id;
    }
    EXPECT_EQ(window.text(99), "");
    window.setText(99, "x");  // no such control: nothing happens
    window.setEnabled(99, false);
}

TEST_F(MainWindow, PortMenuHoldsFourItemsWithCom2Checked) {
    ui::MainWindow& w = window.mainWindow();
    const QList<QAction*> titles = w.menuBar()->actions();
    ASSERT_EQ(titles.size(), 2);
    EXPECT_EQ(titles[0]->text(), QString("Schnittstelle"));
    const QList<QAction*> items = titles[0]->menu()->actions();
    ASSERT_EQ(items.size(), 4);
    for (int i = 0; i < 4; ++i) {
        EXPECT_EQ(items[i], w.portItem(i + 1));
        EXPECT_EQ(items[i]->text(), QString("COM%1").arg(i + 1));
        EXPECT_EQ(items[i]->isChecked(), i == 1);
    }
}

TEST_F(MainWindow, KcMenuFollowsOnTheSameRowAndQueuesItsItems) {
    ui::MainWindow& w = window.mainWindow();
    const QList<QAction*> titles = w.menuBar()->actions();
    ASSERT_EQ(titles.size(), 2);
    EXPECT_EQ(titles[1]->text(), QString("KC"));
    EXPECT_EQ(w.menuBar()->actionGeometry(titles[1]).top(),
              w.menuBar()->actionGeometry(titles[0]).top());
    QMenuBar portMenuAlone;
    portMenuAlone.addMenu(QStringLiteral("Schnittstelle"));
    EXPECT_EQ(menuHeight(window), portMenuAlone.sizeHint().height());

    struct Item {
        int menuId;
        const char* text;  // UTF-8
        bool checkable;
    };
    const Item expected[] = {
        {kLoadAsBasicItem, "Als BASIC-Programm laden", false},
        {kSaveBasicItem, "BASIC-Programm vom KC holen…", false},
        {kSaveMemoryItem, "Speicher vom KC holen…", false},
        {kCheckUploadsItem, "Hochladen prüfen", true},
    };
    const QList<QAction*> items = titles[1]->menu()->actions();
    ASSERT_EQ(items.size(), 4);
    std::vector<Event> chosen;
    for (int i = 0; i < 4; ++i) {
        SCOPED_TRACE(expected[i].menuId);
        EXPECT_EQ(items[i]->text(), QString::fromUtf8(expected[i].text));
        EXPECT_EQ(items[i], w.kcItem(expected[i].menuId));
        EXPECT_EQ(items[i]->isCheckable(), expected[i].checkable);
        EXPECT_FALSE(items[i]->isChecked());
        items[i]->trigger();
        chosen.push_back(Event::menu(expected[i].menuId));
    }
    EXPECT_EQ(w.kcItem(1), nullptr);
    EXPECT_EQ(takeQueued(window), chosen);

    // The check mark follows only the logic, as the port items' do.
    QAction* check = w.kcItem(kCheckUploadsItem);
    EXPECT_FALSE(check->isChecked());
    window.checkKcItem(kCheckUploadsItem, true);
    EXPECT_TRUE(check->isChecked());
    check->trigger();
    EXPECT_TRUE(check->isChecked());
    window.checkKcItem(kSaveBasicItem, true);  // not checkable: nothing changes
    EXPECT_FALSE(w.kcItem(kSaveBasicItem)->isChecked());
}

TEST_F(MainWindow, PortItemsTellWhatTheyStandForAnewEachTimeTheMenuOpens) {
    std::string com2 = "/dev/ttyUSB0 \x96 CH340 (USB)";
    window.describePorts([&](int menuId) { return menuId == 2 ? com2 : "kein Ger\xE4t"; });
    QMenu* menu = window.mainWindow().menuBar()->actions()[0]->menu();
    const auto openAndClose = [&] {
        menu->popup(QPoint(0, 0));
        menu->close();
    };
    EXPECT_TRUE(menu->toolTipsVisible());
    openAndClose();
    EXPECT_EQ(window.mainWindow().portItem(2)->toolTip(),
              QString::fromUtf8("/dev/ttyUSB0 – CH340 (USB)"));
    EXPECT_EQ(window.mainWindow().portItem(4)->toolTip(), QString::fromUtf8("kein Gerät"));
    com2 = "kein Ger\xE4t";  // the adapter was pulled
    openAndClose();
    EXPECT_EQ(window.mainWindow().portItem(2)->toolTip(), QString::fromUtf8("kein Gerät"));
    EXPECT_EQ(window.mainWindow().portItem(2)->text(), QString("COM2"));
}

std::vector<bool> checks(QtWindow& window) {
    std::vector<bool> result;
    for (int id = 1; id <= 4; ++id) {
        result.push_back(window.mainWindow().portItem(id)->isChecked());
    }
    return result;
}

TEST_F(MainWindow, PortItemChoiceIsQueuedAndTheCheckFollowsOnlyTheLogic) {
    ui::MainWindow& w = window.mainWindow();
    w.portItem(3)->trigger();
    // Until the logic acts on the choice, the check stays where it was: a
    // choice dropped during a transfer leaves no wrong mark behind.
    EXPECT_EQ(checks(window), (std::vector<bool>{false, true, false, false}));
    EXPECT_EQ(takeQueued(window), std::vector<Event>{Event::menu(3)});

    window.checkPortItem(3);
    EXPECT_EQ(checks(window), (std::vector<bool>{false, false, true, false}));
    w.portItem(3)->trigger();  // choosing the checked item does not clear it
    EXPECT_EQ(checks(window), (std::vector<bool>{false, false, true, false}));
    EXPECT_EQ(takeQueued(window), std::vector<Event>{Event::menu(3)});

    window.checkPortItem(7);  // no such item: nothing changes
    EXPECT_EQ(checks(window), (std::vector<bool>{false, false, true, false}));
}

TEST_F(MainWindow, CommandLineHasTheFocusAtStartAndTheQueryAnswersMinusOneElsewhere) {
    EXPECT_EQ(window.focusedControl(), kCommandLine);
    QWidget other;
    other.show();
    other.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&other));
    EXPECT_EQ(window.focusedControl(), -1);
}

TEST_F(MainWindow, TabWalksControlsInCreationOrderAndWraps) {
    ui::MainWindow& w = window.mainWindow();
    w.control(kLoadButton)->setFocus(Qt::TabFocusReason);
    std::vector<int> visited{window.focusedControl()};
    for (int i = 0; i < 15; ++i) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        visited.push_back(window.focusedControl());
    }
    const std::vector<int> expected{1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 16, 15};
    EXPECT_EQ(visited, expected);

    // In the editor a plain Tab is typed; Shift+Tab still leaves it.
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    EXPECT_EQ(window.focusedControl(), kEditor);
    EXPECT_EQ(window.text(kEditor), "\t");
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Backtab, Qt::ShiftModifier);
    EXPECT_EQ(window.focusedControl(), kCommandLine);

    // Backwards from the first control wraps to the last.
    w.control(kLoadButton)->setFocus(Qt::TabFocusReason);
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Backtab, Qt::ShiftModifier);
    EXPECT_EQ(window.focusedControl(), kEditor);
}

TEST_F(MainWindow, TabSkipsDisabledControls) {
    window.setEnabled(kSendButton, false);
    window.setEnabled(3, false);
    window.mainWindow().control(kLoadButton)->setFocus(Qt::TabFocusReason);
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    EXPECT_EQ(window.focusedControl(), 4);
    window.setEnabled(kSendButton, true);
    EXPECT_TRUE(window.mainWindow().control(kSendButton)->isEnabled());
}

TEST_F(MainWindow, ControlDisabledWithTheFocusGetsItBackWhenEnabled) {
    // An upload after a click on "Senden": every control but the editor goes
    // off and on again, in this order.
    window.mainWindow().control(kSendButton)->setFocus(Qt::MouseFocusReason);
    const std::vector<int> order{16, 2, 1, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14};
    window.setEnabled(kEditor, false);
    for (const int id : order) {
        window.setEnabled(id, false);
    }
    for (const int id : order) {
        window.setEnabled(id, true);
    }
    EXPECT_EQ(window.focusedControl(), kSendButton);
}

TEST_F(MainWindow, FocusMovedByTheUserWhileDisabledStaysWhereTheUserPutIt) {
    window.grow();
    ASSERT_EQ(window.focusedControl(), kCommandLine);
    window.setEnabled(kLoadButton, false);
    window.setEnabled(kCommandLine, false);
    EXPECT_EQ(window.focusedControl(), -1);  // not passed on to the editor
    QTest::keyClicks(QApplication::focusWidget(), "x");
    EXPECT_EQ(window.text(kEditor), "");
    window.mainWindow().control(kEditor)->setFocus(Qt::MouseFocusReason);
    window.setEnabled(kLoadButton, true);
    window.setEnabled(kCommandLine, true);
    EXPECT_EQ(window.focusedControl(), kEditor);
}

TEST_F(MainWindow, GrowsOnceToFullHeightKeepingPlaceAndWidth) {
    ui::MainWindow& w = window.mainWindow();
    const QPoint place = w.frameGeometry().topLeft();
    window.grow();
    QApplication::processEvents();
    EXPECT_EQ(w.size(), QSize(460, 486));
    EXPECT_EQ(w.minimumSize(), w.maximumSize());
    EXPECT_EQ(w.frameGeometry().topLeft(), place);
    const int top = menuHeight(window);
    EXPECT_LE(w.control(kEditor)->geometry().bottom() + 1, 486);
    EXPECT_EQ(w.control(kEditor)->geometry().top(), 80 + top);
    window.grow();
    EXPECT_EQ(w.size(), QSize(460, 486));
    EXPECT_TRUE(takeQueued(window).empty());
}

TEST_F(MainWindow, CloseBoxQueuesOneRequestAndKeepsTheWindow) {
    EXPECT_FALSE(window.mainWindow().close());
    EXPECT_FALSE(window.mainWindow().close());
    EXPECT_TRUE(window.mainWindow().isVisible());
    EXPECT_EQ(takeQueued(window), std::vector<Event>{Event::close()});
    EXPECT_FALSE(window.mainWindow().close());
    EXPECT_EQ(takeQueued(window), std::vector<Event>{Event::close()});
}

TEST_F(MainWindow, EveryEnabledButtonClickIsQueuedInOrder) {
    std::vector<Event> expected;
    for (int id = 1; id <= 14; ++id) {
        QTest::mouseClick(window.mainWindow().control(id), Qt::LeftButton);
        expected.push_back(Event::control(id));
    }
    QTest::mouseClick(window.mainWindow().control(3), Qt::LeftButton);
    expected.push_back(Event::control(3));
    EXPECT_EQ(takeQueued(window), expected);

    window.setEnabled(kLoadButton, false);
    QTest::mouseClick(window.mainWindow().control(kLoadButton), Qt::LeftButton);
    EXPECT_TRUE(takeQueued(window).empty()) << "a disabled button gives no event";
}

}  // namespace
}  // namespace morvale

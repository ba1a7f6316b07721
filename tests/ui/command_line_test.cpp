#include <gtest/gtest.h>

#include "command_line.h"
#include "main_window.h"
#include "ui_test_support.h"

namespace morvale {
namespace {

using CommandLine = testing::ActiveWindowTest;
using testing::takeQueued;
using testing::typeText;

QWidget* commandLine(QtWindow& window) {
    return window.mainWindow().control(kCommandLine);
}

TEST_F(CommandLine, TypedLettersShowAsCapitalsWhereLatin1HasThem) {
    QTest::keyClicks(commandLine(window), "print 1+a");
    typeText(commandLine(window), QString::fromUtf8(" äöüé"));
    // ÿ's capital is U+0178 and ß has no single capital; µ's is Greek.
    typeText(commandLine(window), QString::fromUtf8("ÿßµ÷"));
    EXPECT_EQ(window.text(kCommandLine), "PRINT 1+A \xC4\xD6\xDC\xC9\xFF\xDF\xB5\xF7");
}

TEST_F(CommandLine, RefusesCharactersOutsideLatin1) {
    typeText(commandLine(window), QString::fromUtf8("a€Ωb"));
    EXPECT_EQ(window.text(kCommandLine), "AB");
    // A paste holding one such character is refused whole.
    auto* line = window.mainWindow().commandLine();
    line->insert(QString::fromUtf8("cd→"));
    EXPECT_EQ(window.text(kCommandLine), "AB");
    line->insert(QString::fromUtf8("cd"));
    EXPECT_EQ(window.text(kCommandLine), "ABCD");
}

TEST_F(CommandLine, ReturnOrKeypadEnterGivesExactlyOneReturnEvent) {
    QTest::keyClicks(commandLine(window), "dir");
    QTest::keyClick(commandLine(window), Qt::Key_Return);
    EXPECT_EQ(takeQueued(window), std::vector<Event>{Event::menu(kReturnKeyItem)});
    QTest::keyClick(commandLine(window), Qt::Key_Enter, Qt::KeypadModifier);
    EXPECT_EQ(takeQueued(window), std::vector<Event>{Event::menu(kReturnKeyItem)});
    // The key is used up: the text stays as typed.
    EXPECT_EQ(window.text(kCommandLine), "DIR");
}

TEST_F(CommandLine, ReturnWithShiftCtrlOrAltOrOnAButtonGivesNoEvent) {
    for (const auto modifier : {Qt::ShiftModifier, Qt::ControlModifier, Qt::AltModifier}) {
        QTest::keyClick(commandLine(window), Qt::Key_Return, modifier);
        QTest::keyClick(commandLine(window), Qt::Key_Enter, modifier | Qt::KeypadModifier);
    }
    QWidget* button = window.mainWindow().control(5);
    button->setFocus(Qt::TabFocusReason);
    QTest::keyClick(button, Qt::Key_Return);
    QTest::keyClick(button, Qt::Key_Enter, Qt::KeypadModifier);
    EXPECT_TRUE(takeQueued(window).empty());
}

TEST_F(CommandLine, ReturnInTheEditorBreaksTheLineAndGivesNoEvent) {
    window.grow();
    QWidget* editor = window.mainWindow().control(kEditor);
    // Focus passes from the command line to the editor and back and forth;
    // the binding goes with the focus.
    QTest::keyClick(commandLine(window), Qt::Key_Tab);
    ASSERT_EQ(window.focusedControl(), kEditor);
    QTest::keyClicks(editor, "10 PRINT");
    QTest::keyClick(editor, Qt::Key_Return);
    QTest::keyClick(editor, Qt::Key_Enter, Qt::KeypadModifier);
    QTest::keyClicks(editor, "20 END");
    EXPECT_EQ(window.text(kEditor), "10 PRINT\r\n\r\n20 END");
    EXPECT_TRUE(takeQueued(window).empty());

    commandLine(window)->setFocus(Qt::MouseFocusReason);
    QTest::keyClick(commandLine(window), Qt::Key_Return);
    EXPECT_EQ(takeQueued(window), std::vector<Event>{Event::menu(kReturnKeyItem)});
}

}  // namespace
}  // namespace morvale

#include <gtest/gtest.h>

#include <QScrollBar>
#include <QTextCursor>

#include "editor.h"
#include "main_window.h"
#include "ui_test_support.h"

namespace morvale {
namespace {

using testing::activate;

ui::Editor* editorOf(QtWindow& window) {
    return window.mainWindow().editor();
}

TEST(Editor, ReadsLinesSeparatedByCrLfWhateverTheyEndedIn) {
    QtWindow window;
    window.setText(kEditor, "A\r\nB\nC\rD");
    EXPECT_EQ(editorOf(window)->blockCount(), 4);
    EXPECT_EQ(window.text(kEditor), "A\r\nB\r\nC\r\nD");
    window.setText(kEditor, "A\r\nB\r\n");
    EXPECT_EQ(window.text(kEditor), "A\r\nB\r\n");
    window.setText(kEditor, "\n\n");
    EXPECT_EQ(window.text(kEditor), "\r\n\r\n");
    window.setText(kEditor, "\n\r");  // LF then CR: two line ends
    EXPECT_EQ(window.text(kEditor), "\r\n\r\n");
}

TEST(Editor, KeepsLatin1BytesAndReadsOthersAsQuestionMarks) {
    QtWindow window;
    window.setText(kEditor, "BIN\xC4R");
    EXPECT_EQ(window.text(kEditor), "BIN\xC4R");
    window.setText(kEditor, "a\xA0\tb");  // no-break space and tab stay
    EXPECT_EQ(window.text(kEditor), "a\xA0\tb");
    editorOf(window)->setPlainText(QString::fromUtf8("x€y"));
    EXPECT_EQ(window.text(kEditor), "x?y");
    window.setText(kEditor, std::string_view("AB\0CD", 5));  // a text ends at zero
    EXPECT_EQ(window.text(kEditor), "AB");
}

TEST(Editor, TypedLineBreaksReadAsCrLf) {
    QtWindow window;
    ASSERT_TRUE(activate(window));
    window.grow();
    ui::Editor* editor = editorOf(window);
    editor->setFocus(Qt::MouseFocusReason);
    QTest::keyClicks(editor, "a");
    QTest::keyClick(editor, Qt::Key_Return, Qt::ShiftModifier);  // a soft line break
    QTest::keyClicks(editor, "b");
    QTest::keyClick(editor, Qt::Key_Return);
    EXPECT_EQ(window.text(kEditor), "a\r\nb\r\n");
}

TEST(Editor, HasNoWrapBothScrollBarsAndVisibleInactiveSelection) {
    QtWindow window;
    ui::Editor* editor = editorOf(window);
    EXPECT_EQ(editor->lineWrapMode(), QPlainTextEdit::NoWrap);
    EXPECT_EQ(editor->verticalScrollBarPolicy(), Qt::ScrollBarAlwaysOn);
    EXPECT_EQ(editor->horizontalScrollBarPolicy(), Qt::ScrollBarAlwaysOn);
    EXPECT_FALSE(editor->tabChangesFocus());
    EXPECT_FALSE(editor->isReadOnly());
    const QPalette pal = editor->palette();
    EXPECT_EQ(pal.color(QPalette::Inactive, QPalette::Highlight),
              pal.color(QPalette::Active, QPalette::Highlight));
}

TEST(Editor, ShowsTheBackgroundColourSet) {
    QtWindow window;
    ASSERT_TRUE(activate(window));
    window.grow();
    QApplication::processEvents();
    ui::Editor* editor = editorOf(window);
    window.setEditorBackground(Rgb{0xFF, 0, 0});
    EXPECT_EQ(editor->background(), QColor(255, 0, 0));
    const QImage red = editor->viewport()->grab().toImage();
    EXPECT_EQ(red.pixelColor(red.width() / 2, red.height() / 2), QColor(255, 0, 0));

    window.setEditorBackground(Rgb{0xFF, 0xFF, 0xFF});
    const QImage white = editor->viewport()->grab().toImage();
    EXPECT_EQ(white.pixelColor(white.width() / 2, white.height() / 2), QColor(255, 255, 255));
    // A disabled editor shows the colour too.
    window.setEnabled(kEditor, false);
    window.setEditorBackground(Rgb{0xFF, 0, 0});
    const QImage disabled = editor->viewport()->grab().toImage();
    EXPECT_EQ(disabled.pixelColor(disabled.width() / 2, disabled.height() / 2), QColor(255, 0, 0));
}

}  // namespace
}  // namespace morvale

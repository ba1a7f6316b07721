#include "editor.h"

#include <QTextDocument>

#include "latin1_text.h"

namespace morvale::ui {

Editor::Editor(QWidget* parent) : QPlainTextEdit(parent) {
    setLineWrapMode(QPlainTextEdit::NoWrap);
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    setTabChangesFocus(false);
    setFrameStyle(QFrame::StyledPanel | QFrame::Sunken);

    // Keep the selection visible when the focus moves elsewhere.
    QPalette pal = palette();
    for (const auto role : {QPalette::Highlight, QPalette::HighlightedText}) {
        pal.setColor(QPalette::Inactive, role, pal.color(QPalette::Active, role));
    }
    setPalette(pal);
}

std::string Editor::latin1Text() const {
    // The raw text keeps no-break spaces, which toPlainText() would turn into
    // plain spaces.
    return editorTextToLatin1(document()->toRawText());
}

void Editor::setLatin1Text(std::string_view latin1) {
    setPlainText(editorTextFromLatin1(latin1));
}

void Editor::setBackground(const QColor& colour) {
    QPalette pal = palette();
    for (const auto group : {QPalette::Active, QPalette::Inactive, QPalette::Disabled}) {
        pal.setColor(group, QPalette::Base, colour);
    }
    setPalette(pal);
}

QColor Editor::background() const {
    return palette().color(QPalette::Active, QPalette::Base);
}

}  // namespace morvale::ui

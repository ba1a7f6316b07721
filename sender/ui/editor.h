// The editor: a plain-text editor showing what a text transfer sends.
//
// No word wrap, both scroll bars always shown, Tab typed into the text,
// Return a line break, the selection still shown while another control has
// the focus. Its background colour is set by the transfers.
#pragma once

#include <QColor>
#include <QPlainTextEdit>
#include <string>
#include <string_view>

namespace morvale::ui {

class Editor : public QPlainTextEdit {
    Q_OBJECT
  public:
    explicit Editor(QWidget* parent = nullptr);

    // The whole text as Latin-1, lines separated by CR LF.
    std::string latin1Text() const;
    // Replaces the whole text; lines may end in CR LF, CR or LF.
    void setLatin1Text(std::string_view latin1);

    void setBackground(const QColor& colour);
    QColor background() const;
};

}  // namespace morvale::ui

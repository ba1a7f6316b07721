// The command line: a single-line entry that holds capitals only and keeps
// the Return key for itself.
//
// Every letter typed, pasted or composed becomes its capital where that
// capital is a Latin-1 character (ä becomes Ä; ß and ÿ stay); an edit that
// would bring in a character outside Latin-1 is refused as a whole.
//
// Return or keypad Enter with no Shift, Ctrl or Alt is used up here and
// announced by returnKey(). Only the widget with the input focus receives key
// presses, so the binding holds exactly while the command line has the focus,
// with no bookkeeping of focus changes that could go astray.
#pragma once

#include <QLineEdit>
#include <QValidator>

namespace morvale::ui {

class UpperLatin1Validator : public QValidator {
    Q_OBJECT
  public:
    using QValidator::QValidator;
    // Raises the letters of input in place; Invalid when input holds a
    // character outside Latin-1.
    State validate(QString& input, int& pos) const override;
};

class CommandLine : public QLineEdit {
    Q_OBJECT
  public:
    explicit CommandLine(QWidget* parent = nullptr);

  signals:
    void returnKey();

  protected:
    void keyPressEvent(QKeyEvent* event) override;
};

}  // namespace morvale::ui

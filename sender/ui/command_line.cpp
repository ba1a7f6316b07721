#include "command_line.h"

#include <QKeyEvent>

namespace morvale::ui {

QValidator::State UpperLatin1Validator::validate(QString& input, int& /*pos*/) const {
    for (QChar& c : input) {
        if (c.unicode() > 0xFF) {
            return Invalid;
        }
        const QChar upper = c.toUpper();
        if (upper.unicode() <= 0xFF) {
            c = upper;
        }
    }
    return Acceptable;
}

CommandLine::CommandLine(QWidget* parent) : QLineEdit(parent) {
    setValidator(new UpperLatin1Validator(this));
}

void CommandLine::keyPressEvent(QKeyEvent* event) {
    const bool isReturn = event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter;
    const Qt::KeyboardModifiers held =
        event->modifiers() & (Qt::ShiftModifier | Qt::ControlModifier | Qt::AltModifier);
    if (isReturn && held == Qt::NoModifier) {
        event->accept();
        emit returnKey();
        return;
    }
    QLineEdit::keyPressEvent(event);
}

}  // namespace morvale::ui

#include "command_line.h"

#include <QKeyEvent>

#include "typing.h"

namespace morvale::ui {

QValidator::State UpperLatin1Validator::validate(QString& input, int& /*pos*/) const {
    for (QChar& c : input) {
        if (c.unicode() > 0xFF) {
            return Invalid;
        }
        c = QChar(char16_t{morvale::commandLineCapital(static_cast<std::uint8_t>(c.unicode()))});
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

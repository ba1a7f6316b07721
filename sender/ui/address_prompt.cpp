#include "address_prompt.h"

#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScreen>

namespace morvale::ui {

namespace {

// The frame a window manager puts around a top-level window of the parent's
// kind; none when the parent is not shown yet.
QMargins frameOf(const QWidget* parent) {
    if (parent == nullptr || !parent->isVisible()) {
        return {};
    }
    const QRect outer = parent->frameGeometry();
    const QRect inner = parent->geometry();
    return {inner.left() - outer.left(), inner.top() - outer.top(), outer.right() - inner.right(),
            outer.bottom() - inner.bottom()};
}

}  // namespace

void PresetEntry::focusInEvent(QFocusEvent* event) {
    QLineEdit::focusInEvent(event);
    if (!focusedBefore_) {
        focusedBefore_ = true;
        deselect();
        setCursorPosition(static_cast<int>(text().size()));
    }
}

AddressPrompt::AddressPrompt(QWidget* parent, const QString& title, const QString& prompt,
                             const QString& preset)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                          Qt::MSWindowsFixedSizeDialogHint) {
    setWindowTitle(title);
    setModal(true);

    prompt_ = new QLabel(prompt, this);
    prompt_->setGeometry(10, 10, 280, 22);
    prompt_->setWordWrap(false);
    prompt_->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);

    entry_ = new PresetEntry(preset, this);
    entry_->setGeometry(10, 32, 275, 21);
    entry_->setCursorPosition(static_cast<int>(preset.size()));
    entry_->deselect();

    ok_ = new QPushButton(QStringLiteral("OK"), this);
    ok_->setGeometry(110, 67, 80, 25);
    ok_->setDefault(true);
    connect(ok_, &QPushButton::clicked, this, &QDialog::accept);

    placeOnScreen();
    entry_->setFocus(Qt::OtherFocusReason);
}

void AddressPrompt::placeOnScreen() {
    const QMargins frame = frameOf(parentWidget());
    setFixedSize(kOuterWidth - frame.left() - frame.right(),
                 kOuterHeight - frame.top() - frame.bottom());
    const QScreen* screen =
        parentWidget() != nullptr ? parentWidget()->screen() : QGuiApplication::primaryScreen();
    const QRect area = screen != nullptr ? screen->geometry() : QRect(0, 0, 640, 480);
    // move() places the outer frame.
    move(area.left() + area.width() / 2 - kOuterWidth / 2,
         area.top() + area.height() / 2 - kOuterHeight / 2);
}

std::optional<QString> AddressPrompt::ask() {
    if (exec() != QDialog::Accepted) {
        return std::nullopt;
    }
    return entry_->text();
}

}  // namespace morvale::ui

// The address prompt: a small modal window with a one-line question, an
// entry holding a preset answer and a single default "OK" button.
//
// Outer size 300 x 130, centred on the screen, no close box or system menu.
// Return and "OK" answer with the entry's text, Escape cancels.
#pragma once

#include <QDialog>
#include <QLineEdit>
#include <QString>
#include <optional>

class QLabel;
class QPushButton;

namespace morvale::ui {

// The entry: the first focus leaves the caret after the preset with nothing
// selected (QDialog hands the first focus over as if by Tab, which would
// select all); later Tab focus selects as usual.
class PresetEntry : public QLineEdit {
    Q_OBJECT
  public:
    using QLineEdit::QLineEdit;

  protected:
    void focusInEvent(QFocusEvent* event) override;

  private:
    bool focusedBefore_ = false;
};

class AddressPrompt : public QDialog {
    Q_OBJECT
  public:
    static constexpr int kOuterWidth = 300;
    static constexpr int kOuterHeight = 130;

    AddressPrompt(QWidget* parent, const QString& title, const QString& prompt,
                  const QString& preset);

    QLabel* promptLabel() const { return prompt_; }
    QLineEdit* entry() const { return entry_; }
    QPushButton* okButton() const { return ok_; }

    // Shows the prompt and waits until it is answered: the entry's text on
    // OK, nothing on cancel.
    std::optional<QString> ask();

  private:
    void placeOnScreen();

    QLabel* prompt_ = nullptr;
    QLineEdit* entry_ = nullptr;
    QPushButton* ok_ = nullptr;
};

}  // namespace morvale::ui

// The open-file dialog of the load button, and the save-file dialog of the
// operations that fetch from the KC.
//
// The filter text "description|patterns|description|patterns..." is split
// at every '|' into entries, patterns separated by ';'; the first entry is
// selected. Patterns match names regardless of case, so SPIEL.KCC shows under
// *.kcc. A typed name of a file that does not exist is returned as long as
// its folder exists; the dialog stays open for a folder that does not.
//
// Saving, a name typed without an extension gets the first one of the entry
// selected (what is written depends on it), and Qt asks before a file that
// exists is replaced.
#pragma once

#include <QFileDialog>
#include <QString>
#include <QStringList>
#include <string>
#include <string_view>

namespace morvale::ui {

// Qt name filters ("description (*.a *.b)") from the '|'-separated text. A
// description without its patterns is dropped.
QStringList nameFiltersFromText(std::string_view filter);

// The extension of a name filter's first pattern "*.ext", without its dot;
// empty when it has none.
QString firstExtension(const QString& nameFilter);

class FileChooser : public QFileDialog {
    Q_OBJECT
  public:
    FileChooser(QWidget* parent, const QString& title, const QStringList& nameFilters,
                QFileDialog::AcceptMode mode = QFileDialog::AcceptOpen);

    // Shows the dialog and waits: the chosen path as the file system's
    // bytes, empty when cancelled.
    std::string choose();

  public slots:
    void accept() override;
};

}  // namespace morvale::ui

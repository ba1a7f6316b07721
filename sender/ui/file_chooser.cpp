#include "file_chooser.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include "latin1_text.h"

namespace morvale::ui {

QStringList nameFiltersFromText(std::string_view filter) {
    const QStringList parts = fromLatin1(filter).split(u'|');
    QStringList filters;
    for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
        const QStringList patterns = parts[i + 1].split(u';', Qt::SkipEmptyParts);
        filters.append(QStringLiteral("%1 (%2)").arg(parts[i], patterns.join(u' ')));
    }
    return filters;
}

QString firstExtension(const QString& nameFilter) {
    const qsizetype open = nameFilter.lastIndexOf(u'(');
    const QStringList patterns =
        nameFilter.mid(open + 1).chopped(nameFilter.endsWith(u')') ? 1 : 0).split(u' ');
    const QString& first = patterns.first();
    return first.startsWith(QStringLiteral("*.")) ? first.mid(2) : QString();
}

FileChooser::FileChooser(QWidget* parent, const QString& title, const QStringList& nameFilters,
                         QFileDialog::AcceptMode mode)
    : QFileDialog(parent, title) {
    // Qt's own dialog: the same on every desktop, and it can be told to
    // ignore case.
    setOption(QFileDialog::DontUseNativeDialog, true);
    setAcceptMode(mode);
    setFileMode(QFileDialog::AnyFile);
    setNameFilters(nameFilters);
    if (!nameFilters.isEmpty()) {
        selectNameFilter(nameFilters.first());
    }
    // The patterns match regardless of case, as on a DOS file system. Qt's
    // model does so unless QDir::CaseSensitive is set; make sure it is not.
    setFilter(filter() & ~QDir::CaseSensitive);
}

void FileChooser::accept() {
    if (acceptMode() == QFileDialog::AcceptSave) {
        setDefaultSuffix(firstExtension(selectedNameFilter()));
    }
    const QStringList files = selectedFiles();
    if (!files.isEmpty()) {
        const QFileInfo info(files.first());
        if (!info.isDir() && !info.exists() && !info.absoluteDir().exists()) {
            return;  // the folder of a typed path must exist
        }
    }
    QFileDialog::accept();
}

std::string FileChooser::choose() {
    if (exec() != QDialog::Accepted) {
        return {};
    }
    const QStringList files = selectedFiles();
    if (files.isEmpty()) {
        return {};
    }
    return QFile::encodeName(files.first()).toStdString();
}

}  // namespace morvale::ui

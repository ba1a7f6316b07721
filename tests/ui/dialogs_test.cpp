#include <gtest/gtest.h>

#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QFileSystemModel>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QScreen>
#include <QTemporaryDir>

#include "address_prompt.h"
#include "file_chooser.h"
#include "main_window.h"
#include "ui_test_support.h"

namespace morvale {
namespace {

using testing::activate;
using testing::answerModal;
using ui::AddressPrompt;
using ui::FileChooser;

constexpr const char* kPromptText = "Startadresse (Hex) eingeben:";

struct PromptLook {
    QString title;
    QRect frame;
    QString promptText;
    QRect promptGeometry;
    QRect entryGeometry;
    QString entryText;
    int cursor = -1;
    bool selection = true;
    QRect okGeometry;
    QString okText;
    bool okDefault = false;
    Qt::WindowFlags flags;
    int buttons = 0;
};

PromptLook look(AddressPrompt* prompt) {
    PromptLook l;
    l.title = prompt->windowTitle();
    l.frame = prompt->frameGeometry();
    l.promptText = prompt->promptLabel()->text();
    l.promptGeometry = prompt->promptLabel()->geometry();
    l.entryGeometry = prompt->entry()->geometry();
    l.entryText = prompt->entry()->text();
    l.cursor = prompt->entry()->cursorPosition();
    l.selection = prompt->entry()->hasSelectedText();
    l.okGeometry = prompt->okButton()->geometry();
    l.okText = prompt->okButton()->text();
    l.okDefault = prompt->okButton()->isDefault();
    l.flags = prompt->windowFlags();
    l.buttons = static_cast<int>(prompt->findChildren<QPushButton*>().size());
    return l;
}

TEST(AddressPrompt, ShowsCentredWithPresetCaretAfterItAndOneDefaultButton) {
    QtWindow window;
    ASSERT_TRUE(activate(window));
    PromptLook seen;
    answerModal<AddressPrompt>([&seen](AddressPrompt* prompt) {
        EXPECT_TRUE(QTest::qWaitForWindowActive(prompt));
        // The focus follows the activation a moment later.
        EXPECT_TRUE(
            QTest::qWaitFor([prompt] { return QApplication::focusWidget() == prompt->entry(); }));
        seen = look(prompt);
        QTest::keyClick(prompt->entry(), Qt::Key_Return);
    });
    const auto answer = window.askText("Adresse", kPromptText, "200");
    ASSERT_TRUE(answer.has_value());
    EXPECT_EQ(*answer, "200");

    const QRect screen = QGuiApplication::primaryScreen()->geometry();
    EXPECT_EQ(seen.title, QString("Adresse"));
    EXPECT_EQ(seen.frame.size(), QSize(300, 130));
    EXPECT_EQ(seen.frame.topLeft(), QPoint(screen.width() / 2 - 150, screen.height() / 2 - 65));
    EXPECT_EQ(seen.promptText, QString(kPromptText));
    EXPECT_EQ(seen.promptGeometry, QRect(10, 10, 280, 22));
    EXPECT_EQ(seen.entryGeometry, QRect(10, 32, 275, 21));
    EXPECT_EQ(seen.entryText, QString("200"));
    EXPECT_EQ(seen.cursor, 3);
    EXPECT_FALSE(seen.selection);
    EXPECT_EQ(seen.okGeometry, QRect(110, 67, 80, 25));
    EXPECT_EQ(seen.okText, QString("OK"));
    EXPECT_TRUE(seen.okDefault);
    EXPECT_EQ(seen.buttons, 1);
    EXPECT_FALSE(seen.flags & Qt::WindowCloseButtonHint);
    EXPECT_FALSE(seen.flags & Qt::WindowSystemMenuHint);
}

TEST(AddressPrompt, OkAnswersTheEditedTextUnchanged) {
    QtWindow window;
    ASSERT_TRUE(activate(window));
    answerModal<AddressPrompt>([](AddressPrompt* prompt) {
        EXPECT_TRUE(QTest::qWaitForWindowActive(prompt));
        QTest::keyClick(prompt->entry(), Qt::Key_Backspace);
        QTest::keyClicks(prompt->entry(), "0 dfff");
        QTest::mouseClick(prompt->okButton(), Qt::LeftButton);
    });
    EXPECT_EQ(window.askText("Adresse", kPromptText, "300"),
              std::optional<std::string>("300 dfff"));
}

TEST(AddressPrompt, EmptyAnswerIsNotACancel) {
    QtWindow window;
    ASSERT_TRUE(activate(window));
    answerModal<AddressPrompt>([](AddressPrompt* prompt) {
        EXPECT_TRUE(QTest::qWaitForWindowActive(prompt));
        prompt->entry()->clear();
        QTest::keyClick(prompt->entry(), Qt::Key_Enter, Qt::KeypadModifier);
    });
    EXPECT_EQ(window.askText("Adresse", kPromptText, "200"), std::optional<std::string>(""));
}

TEST(AddressPrompt, EscapeCancels) {
    QtWindow window;
    ASSERT_TRUE(activate(window));
    answerModal<AddressPrompt>([](AddressPrompt* prompt) {
        EXPECT_TRUE(QTest::qWaitForWindowActive(prompt));
        QTest::keyClicks(prompt->entry(), "ABC");
        QTest::keyClick(prompt->entry(), Qt::Key_Escape);
    });
    EXPECT_EQ(window.askText("Adresse", kPromptText, "200"), std::nullopt);
}

TEST(AddressPrompt, KeepsTheMainWindowFromTakingClicks) {
    QtWindow window;
    ASSERT_TRUE(activate(window));
    bool modal = false;
    answerModal<AddressPrompt>([&](AddressPrompt* prompt) {
        // Which window is active is the window system's business; the offscreen
        // one may grant the main window's own requests late.
        modal = QApplication::activeModalWidget() == prompt;
        // A click through the window system, as a user's would come.
        QWidget* load = window.mainWindow().control(kLoadButton);
        QTest::mouseClick(window.mainWindow().windowHandle(), Qt::LeftButton, {},
                          load->mapTo(&window.mainWindow(), load->rect().center()));
        QApplication::processEvents();
        prompt->reject();
    });
    window.askText("Adresse", kPromptText, "200");
    EXPECT_TRUE(modal);
    EXPECT_EQ(window.pendingEvents(), 0u);
}

struct BoxLook {
    QString title;
    QString text;
    QMessageBox::Icon icon = QMessageBox::NoIcon;
    QMessageBox::StandardButtons buttons;
    QWidget* parent = nullptr;
};

BoxLook showAndRead(QtWindow& window, std::string_view title, std::string_view text,
                    MessageIcon icon) {
    BoxLook seen;
    answerModal<QMessageBox>([&seen](QMessageBox* box) {
        seen = {box->windowTitle(), box->text(), box->icon(), box->standardButtons(),
                box->parentWidget()};
        QTest::mouseClick(box->button(QMessageBox::Ok), Qt::LeftButton);
    });
    window.showMessage(title, text, icon);
    return seen;
}

TEST(MessageBox, WarningHasTitleTextExclamationAndOk) {
    QtWindow window;
    ASSERT_TRUE(activate(window));
    const BoxLook seen =
        showAndRead(window, "Warnung", "Ziel liegt im ROM!     ", MessageIcon::Exclamation);
    EXPECT_EQ(seen.title, QString("Warnung"));
    EXPECT_EQ(seen.text, QString("Ziel liegt im ROM!     "));
    EXPECT_EQ(seen.icon, QMessageBox::Warning);
    EXPECT_EQ(seen.buttons, QMessageBox::Ok);
    EXPECT_EQ(seen.parent, &window.mainWindow());
}

TEST(MessageBox, ErrorHasNoIconAndLatin1Text) {
    QtWindow window;
    ASSERT_TRUE(activate(window));
    const BoxLook seen = showAndRead(window, "Fehler", "Datei zu gro\xDF!", MessageIcon::None);
    EXPECT_EQ(seen.title, QString("Fehler"));
    EXPECT_EQ(seen.text, QString::fromUtf8("Datei zu groß!"));
    EXPECT_EQ(seen.icon, QMessageBox::NoIcon);
    EXPECT_EQ(seen.buttons, QMessageBox::Ok);
}

constexpr const char* kLoadFilter =
    "KCC und KCB-Dateien|*.kcc;*.kcb|Bin\xE4r-Dateien|*.bin|Basic-Quellkodes|*.bas|"
    "Text-Dateien|*.txt";

TEST(FileChooser, SplitsTheFilterTextAtEveryBar) {
    const QStringList filters = ui::nameFiltersFromText(kLoadFilter);
    EXPECT_EQ(filters,
              (QStringList{QString("KCC und KCB-Dateien (*.kcc *.kcb)"),
                           QString::fromUtf8("Binär-Dateien (*.bin)"),
                           QString("Basic-Quellkodes (*.bas)"), QString("Text-Dateien (*.txt)")}));
    EXPECT_EQ(ui::nameFiltersFromText("A|*.a|B"), QStringList{QString("A (*.a)")});
    EXPECT_TRUE(ui::nameFiltersFromText("").isEmpty());
}

void touch(const QString& path) {
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("x");
}

// The names the dialog lists in its current folder once they are the expected
// ones, or after five seconds: the model reads the folder and applies a
// filter in the background.
QStringList listedNames(FileChooser* dialog, const QStringList& expected) {
    auto* model = dialog->findChild<QFileSystemModel*>();
    QStringList names;
    if (model == nullptr) {
        return names;
    }
    static_cast<void>(QTest::qWaitFor([&] {
        names.clear();
        const QModelIndex root = model->index(dialog->directory().absolutePath());
        for (int row = 0; row < model->rowCount(root); ++row) {
            const QModelIndex index = model->index(row, 0, root);
            if (!model->isDir(index)) {
                names.append(index.data().toString());
            }
        }
        names.sort();
        return names == expected;
    }));
    return names;
}

// Types a name into the dialog's file-name field, as a user would.
void typeFileName(FileChooser* dialog, const QString& name) {
    auto* edit = dialog->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"));
    ASSERT_NE(edit, nullptr);
    edit->setText(name);
}

struct DialogLook {
    QString title;
    QStringList filters;
    QString selectedFilter;
    QStringList listed;
};

TEST(FileChooser, OffersTheFiltersFirstSelectedAndMatchesRegardlessOfCase) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    for (const char* name : {"SPIEL.KCC", "prog.kcb", "Image.Bin", "notes.txt", "LIST.BAS"}) {
        touch(dir.filePath(name));
    }
    QtWindow window;
    ASSERT_TRUE(activate(window));
    DialogLook seen;
    answerModal<FileChooser>([&](FileChooser* dialog) {
        seen.title = dialog->windowTitle();
        seen.filters = dialog->nameFilters();
        seen.selectedFilter = dialog->selectedNameFilter();
        dialog->setDirectory(dir.path());
        seen.listed = listedNames(dialog, {"SPIEL.KCC", "prog.kcb"});
        typeFileName(dialog, QStringLiteral("SPIEL.KCC"));
        dialog->accept();
    });
    const std::string chosen = window.chooseFile("Laden", kLoadFilter);
    EXPECT_EQ(seen.title, QString("Laden"));
    EXPECT_EQ(seen.filters, ui::nameFiltersFromText(kLoadFilter));
    EXPECT_EQ(seen.selectedFilter, seen.filters.value(0));
    EXPECT_EQ(seen.listed, (QStringList{"SPIEL.KCC", "prog.kcb"}));
    EXPECT_EQ(chosen, QFile::encodeName(dir.filePath("SPIEL.KCC")).toStdString());

    // The other entries filter the same way.
    const std::vector<QStringList> expected{{"Image.Bin"}, {"LIST.BAS"}, {"notes.txt"}};
    std::vector<QStringList> listedPerFilter;
    answerModal<FileChooser>([&](FileChooser* dialog) {
        dialog->setDirectory(dir.path());
        for (int i = 1; i < 4; ++i) {
            dialog->selectNameFilter(dialog->nameFilters().at(i));
            listedPerFilter.push_back(listedNames(dialog, expected[i - 1]));
        }
        dialog->reject();
    });
    EXPECT_EQ(window.chooseFile("Laden", kLoadFilter), "");
    EXPECT_EQ(listedPerFilter, expected);
}

TEST(FileChooser, ReturnsATypedNameOfAMissingFileInAnExistingFolder) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    QtWindow window;
    ASSERT_TRUE(activate(window));
    bool stayedOpenForMissingFolder = false;
    answerModal<FileChooser>([&](FileChooser* dialog) {
        typeFileName(dialog, dir.filePath("nofolder/x.kcc"));
        dialog->accept();
        stayedOpenForMissingFolder = dialog->isVisible();
        typeFileName(dialog, dir.filePath("neu.kcc"));
        dialog->accept();
    });
    const std::string chosen = window.chooseFile("Laden", kLoadFilter);
    EXPECT_TRUE(stayedOpenForMissingFolder);
    EXPECT_EQ(chosen, QFile::encodeName(dir.filePath("neu.kcc")).toStdString());
}

TEST(FileChooser, ReturnsThePathAsFileSystemBytes) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString name = dir.filePath(QString::fromUtf8("Spiel-ä.kcc"));
    touch(name);
    QtWindow window;
    ASSERT_TRUE(activate(window));
    answerModal<FileChooser>([&](FileChooser* dialog) {
        typeFileName(dialog, name);
        dialog->accept();
    });
    const std::string chosen = window.chooseFile("Laden", kLoadFilter);
    EXPECT_EQ(chosen, QFile::encodeName(name).toStdString());
    EXPECT_TRUE(QFile::exists(QFile::decodeName(QByteArray::fromStdString(chosen))));
}

TEST(FileChooser, CancelGivesAnEmptyPath) {
    QtWindow window;
    ASSERT_TRUE(activate(window));
    answerModal<FileChooser>([](FileChooser* dialog) { dialog->reject(); });
    EXPECT_EQ(window.chooseFile("Laden", kLoadFilter), "");
}

}  // namespace
}  // namespace morvale

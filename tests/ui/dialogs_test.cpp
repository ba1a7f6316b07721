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
#include "basic_fetch.h"
#include "file_chooser.h"
#include "file_loading.h"
#include "main_window.h"
#include "ui_test_support.h"

namespace morvale {
namespace {

using AddressPrompt = testing::ActiveWindowTest;
using MessageBox = testing::ActiveWindowTest;
using FileChooser = testing::ActiveWindowTest;
using testing::answerModal;

constexpr const char* kPromptText = "Startadresse (Hex) eingeben:";

TEST_F(AddressPrompt, ShowsCentredWithPresetCaretAfterItAndOneDefaultButton) {
    answerModal<ui::AddressPrompt>([](ui::AddressPrompt* prompt) {
        EXPECT_TRUE(QTest::qWaitForWindowActive(prompt));
        // The focus follows the activation a moment later.
        EXPECT_TRUE(
            QTest::qWaitFor([prompt] { return QApplication::focusWidget() == prompt->entry(); }));
        const QRect screen = QGuiApplication::primaryScreen()->geometry();
        EXPECT_EQ(prompt->windowTitle(), QString("Adresse"));
        EXPECT_EQ(prompt->frameGeometry().size(), QSize(300, 130));
        EXPECT_EQ(prompt->frameGeometry().topLeft(),
                  QPoint(screen.width() / 2 - 150, screen.height() / 2 - 65));
        EXPECT_EQ(prompt->promptLabel()->text(), QString(kPromptText));
        EXPECT_EQ(prompt->promptLabel()->geometry(), QRect(10, 10, 280, 22));
        EXPECT_EQ(prompt->entry()->geometry(), QRect(10, 32, 275, 21));
        EXPECT_EQ(prompt->entry()->text(), QString("200"));
        EXPECT_EQ(prompt->entry()->cursorPosition(), 3);
        EXPECT_FALSE(prompt->entry()->hasSelectedText());
        EXPECT_EQ(prompt->okButton()->geometry(), QRect(110, 67, 80, 25));
        EXPECT_EQ(prompt->okButton()->text(), QString("OK"));
        EXPECT_TRUE(prompt->okButton()->isDefault());
        EXPECT_EQ(prompt->findChildren<QPushButton*>().size(), 1);
        EXPECT_FALSE(prompt->windowFlags() & Qt::WindowCloseButtonHint);
        EXPECT_FALSE(prompt->windowFlags() & Qt::WindowSystemMenuHint);
        QTest::keyClick(prompt->entry(), Qt::Key_Return);
    });
    EXPECT_EQ(window.askText("Adresse", kPromptText, "200"), std::optional<std::string>("200"));
}

TEST_F(AddressPrompt, OkAnswersTheEditedTextUnchanged) {
    answerModal<ui::AddressPrompt>([](ui::AddressPrompt* prompt) {
        EXPECT_TRUE(QTest::qWaitForWindowActive(prompt));
        QTest::keyClick(prompt->entry(), Qt::Key_Backspace);
        QTest::keyClicks(prompt->entry(), "0 dfff");
        QTest::mouseClick(prompt->okButton(), Qt::LeftButton);
    });
    EXPECT_EQ(window.askText("Adresse", kPromptText, "300"),
              std::optional<std::string>("300 dfff"));
}

TEST_F(AddressPrompt, EmptyAnswerIsNotACancel) {
    answerModal<ui::AddressPrompt>([](ui::AddressPrompt* prompt) {
        EXPECT_TRUE(QTest::qWaitForWindowActive(prompt));
        prompt->entry()->clear();
        QTest::keyClick(prompt->entry(), Qt::Key_Enter, Qt::KeypadModifier);
    });
    EXPECT_EQ(window.askText("Adresse", kPromptText, "200"), std::optional<std::string>(""));
}

TEST_F(AddressPrompt, EscapeCancels) {
    answerModal<ui::AddressPrompt>([](ui::AddressPrompt* prompt) {
        EXPECT_TRUE(QTest::qWaitForWindowActive(prompt));
        QTest::keyClicks(prompt->entry(), "ABC");
        QTest::keyClick(prompt->entry(), Qt::Key_Escape);
    });
    EXPECT_EQ(window.askText("Adresse", kPromptText, "200"), std::nullopt);
}

TEST_F(AddressPrompt, KeepsTheMainWindowFromTakingClicks) {
    bool modal = false;
    answerModal<ui::AddressPrompt>([&](ui::AddressPrompt* prompt) {
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

TEST_F(MessageBox, ShowsTitleLatin1TextIconAndOnlyOkOverTheWindow) {
    struct Case {
        const char* title;
        const char* text;
        MessageIcon icon;
        QString shownText;
        QMessageBox::Icon shownIcon;
    };
    const Case cases[] = {
        {"Warnung", "Ziel liegt im ROM!     ", MessageIcon::Exclamation, "Ziel liegt im ROM!     ",
         QMessageBox::Warning},
        {"Fehler", "Datei zu gro\xDF!", MessageIcon::None, QString::fromUtf8("Datei zu groß!"),
         QMessageBox::NoIcon},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.title);
        answerModal<QMessageBox>([&](QMessageBox* box) {
            EXPECT_EQ(box->windowTitle(), QString(c.title));
            EXPECT_EQ(box->text(), c.shownText);
            EXPECT_EQ(box->icon(), c.shownIcon);
            EXPECT_EQ(box->standardButtons(), QMessageBox::Ok);
            EXPECT_EQ(box->parentWidget(), &window.mainWindow());
            QTest::mouseClick(box->button(QMessageBox::Ok), Qt::LeftButton);
        });
        window.showMessage(c.title, c.text, c.icon);
    }
}

TEST(FileChooserFilters, SplitAtEveryBar) {
    const QStringList filters = ui::nameFiltersFromText(kLoadFilter);
    EXPECT_EQ(filters,
              (QStringList{QString("KCC und KCB-Dateien (*.kcc *.kcb)"),
                           QString::fromUtf8("Binär-Dateien (*.bin)"),
                           QString("Basic-Quellkodes (*.bas)"), QString("Text-Dateien (*.txt)"),
                           QString("BASIC-Programme (*.sss *.tap)")}));
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
QStringList listedNames(ui::FileChooser* dialog, const QStringList& expected) {
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
void typeFileName(ui::FileChooser* dialog, const QString& name) {
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

TEST_F(FileChooser, OffersTheFiltersFirstSelectedAndMatchesRegardlessOfCase) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    for (const char* name :
         {"SPIEL.KCC", "prog.kcb", "Image.Bin", "notes.txt", "LIST.BAS", "PROG.SSS", "band.tap"}) {
        touch(dir.filePath(name));
    }
    DialogLook seen;
    answerModal<ui::FileChooser>([&](ui::FileChooser* dialog) {
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
    const std::vector<QStringList> expected{
        {"Image.Bin"}, {"LIST.BAS"}, {"notes.txt"}, {"PROG.SSS", "band.tap"}};
    std::vector<QStringList> listedPerFilter;
    answerModal<ui::FileChooser>([&](ui::FileChooser* dialog) {
        dialog->setDirectory(dir.path());
        for (int i = 1; i < 5; ++i) {
            dialog->selectNameFilter(dialog->nameFilters().at(i));
            listedPerFilter.push_back(listedNames(dialog, expected[i - 1]));
        }
        dialog->reject();
    });
    EXPECT_EQ(window.chooseFile("Laden", kLoadFilter), "");
    EXPECT_EQ(listedPerFilter, expected);
}

TEST_F(FileChooser, ReturnsATypedNameOfAMissingFileInAnExistingFolder) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    bool stayedOpenForMissingFolder = false;
    answerModal<ui::FileChooser>([&](ui::FileChooser* dialog) {
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

TEST_F(FileChooser, ReturnsThePathAsFileSystemBytes) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString name = dir.filePath(QString::fromUtf8("Spiel-ä.kcc"));
    touch(name);
    answerModal<ui::FileChooser>([&](ui::FileChooser* dialog) {
        typeFileName(dialog, name);
        dialog->accept();
    });
    const std::string chosen = window.chooseFile("Laden", kLoadFilter);
    EXPECT_EQ(chosen, QFile::encodeName(name).toStdString());
    EXPECT_TRUE(QFile::exists(QFile::decodeName(QByteArray::fromStdString(chosen))));
}

TEST_F(FileChooser, SaveDialogAddsTheSelectedEntrysExtensionAndAsksBeforeReplacing) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    touch(dir.filePath("alt.sss"));
    DialogLook seen;
    bool save = false;
    bool asked = false;
    answerModal<ui::FileChooser>([&](ui::FileChooser* dialog) {
        seen.title = dialog->windowTitle();
        seen.filters = dialog->nameFilters();
        save = dialog->acceptMode() == QFileDialog::AcceptSave;
        dialog->selectNameFilter(dialog->nameFilters().at(1));
        answerModal<QMessageBox>([&](QMessageBox* box) {
            asked = true;
            QTest::mouseClick(box->button(QMessageBox::Yes), Qt::LeftButton);
        });
        typeFileName(dialog, dir.filePath("alt"));
        dialog->accept();
    });
    EXPECT_EQ(window.chooseSaveFile(kSaveBasicTitle, kSaveBasicFilter),
              QFile::encodeName(dir.filePath("alt.sss")).toStdString());
    EXPECT_EQ(seen.title, QString("BASIC-Programm speichern"));
    EXPECT_EQ(seen.filters, (QStringList{QString("BASIC-Listings (*.bas *.txt)"),
                                         QString("BASIC-Programme (*.sss)")}));
    EXPECT_TRUE(save);
    EXPECT_TRUE(asked);
}

}  // namespace
}  // namespace morvale

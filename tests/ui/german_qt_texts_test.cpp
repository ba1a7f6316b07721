// Qt's own texts in the sender's dialogs come out German.
#include "german_qt_texts.h"

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QDialogButtonBox>
#include <QLabel>
#include <QLocale>
#include <QPushButton>
#include <QTranslator>
#include <string>

#include "file_chooser.h"

namespace morvale {
namespace {

// Takes the translations out again, for the tests that run after this one.
class GermanQtTexts : public ::testing::Test {
  protected:
    ~GermanQtTexts() override {
        for (QTranslator* translator : QCoreApplication::instance()->findChildren<QTranslator*>()) {
            QCoreApplication::removeTranslator(translator);
            delete translator;
        }
        QLocale::setDefault(QLocale::system());
    }
};

std::string labelText(const QWidget& dialog, const char* name) {
    const auto* label = dialog.findChild<QLabel*>(name);
    return label != nullptr ? label->text().toStdString() : "<none>";
}

TEST_F(GermanQtTexts, FileDialogLabelsAndButtonsAreGerman) {
    ASSERT_TRUE(ui::useGermanQtTexts()) << "Qt's German translations are missing";
    ui::FileChooser dialog(nullptr, QStringLiteral("Datei laden"), {QStringLiteral("Alle (*)")});

    EXPECT_EQ(labelText(dialog, "lookInLabel"), "Suchen in:");
    EXPECT_EQ(labelText(dialog, "fileNameLabel"), "Datei&name:");
    EXPECT_EQ(labelText(dialog, "fileTypeLabel"), "Dateien des Typs:");
    const auto* buttons = dialog.findChild<QDialogButtonBox*>("buttonBox");
    ASSERT_NE(buttons, nullptr);
    EXPECT_EQ(buttons->button(QDialogButtonBox::Open)->text().toStdString(), "&Öffnen");
    EXPECT_EQ(buttons->button(QDialogButtonBox::Cancel)->text().toStdString(), "Abbrechen");
    EXPECT_EQ(dialog.locale().language(), QLocale::German);
}

}  // namespace
}  // namespace morvale

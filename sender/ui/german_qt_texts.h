// Qt's own texts in German: the file dialog, the entry fields' context menus,
// the standard buttons. The window speaks German whatever the user's locale,
// so Qt's German translations (Debian: qt6-translations-l10n) are loaded from
// Qt's translations folder always, and German becomes the default locale, in
// which the file dialog writes sizes and dates.
#pragma once

namespace morvale::ui {

// Installs Qt's German translations into the running application (which owns
// them) and sets the German locale as the default. Call it after creating
// the QApplication and before the first window. False when the translations
// could not be loaded: Qt's own texts then stay English.
bool useGermanQtTexts();

}  // namespace morvale::ui

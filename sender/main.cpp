// morvale: the sender's window. Types commands and listings into a KC 85 and
// uploads memory images over the serial line.
#include <QApplication>

#include <cstdio>
#include <cstdlib>

#include "german_qt_texts.h"
#include "qt_window.h"
#include "sender.h"
#include "termios_serial_link.h"
#include "usage.h"

namespace {

// Without a display Qt ends the process with an abort and a core dump; say
// what is missing instead.
bool displayAvailable() {
    for (const char* name : {"QT_QPA_PLATFORM", "DISPLAY", "WAYLAND_DISPLAY"}) {
        const char* value = std::getenv(name);
        if (value != nullptr && *value != '\0') {
            return true;
        }
    }
    return false;
}

}  // namespace

int main(int argc, char** argv) {
    if (const auto status = morvale::answerInfoOption(argc, argv)) {
        return *status;
    }
    if (!displayAvailable()) {
        std::fputs("morvale: no display; start it in a graphical session\n", stderr);
        return 1;
    }
    QApplication application(argc, argv);
    if (!morvale::ui::useGermanQtTexts()) {
        std::fputs(
            "morvale: Qt's German texts not found (qt6-translations-l10n); its dialogs stay "
            "English\n",
            stderr);
    }
    morvale::TermiosSerialLink link;
    morvale::QtWindow window;
    morvale::Sender sender(window, link);
    sender.run();
    return 0;
}

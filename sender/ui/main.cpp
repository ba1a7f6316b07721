// morvale: the sender's window. Types commands and listings into a KC 85 and
// uploads memory images over the serial line.
#include <QApplication>

#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "german_qt_texts.h"
#include "port_description.h"
#include "qt_window.h"
#include "sender.h"
#include "termios_serial_link.h"
#include "usage.h"

namespace {

const char* const kDisplayVariables[] = {"QT_QPA_PLATFORM", "WAYLAND_DISPLAY", "DISPLAY"};

// The display variables that are set, as "DISPLAY=:0"; empty when none is.
std::string displaySettings() {
    std::string settings;
    for (const char* name : kDisplayVariables) {
        const char* value = std::getenv(name);
        if (value != nullptr && *value != '\0') {
            settings += (settings.empty() ? "" : ", ") + std::string(name) + "=" + value;
        }
    }
    return settings;
}

// Qt ends the process with an abort and a core dump when its platform cannot
// start, that is when the display cannot be opened. While the application is
// built, its messages are held back; a fatal one becomes one line and exit
// status 1, and the others are written once the application stands.
std::vector<std::string> heldMessages;

void holdStartupMessage(QtMsgType type, const QMessageLogContext& context, const QString& text) {
    if (type == QtFatalMsg) {
        std::fprintf(stderr, "morvale: cannot open the display (%s)\n", displaySettings().c_str());
        std::fflush(stderr);
        std::_Exit(1);
    }
    heldMessages.push_back(qFormatLogMessage(type, context, text).toStdString());
}

std::unique_ptr<QApplication> startApplication(int& argc, char** argv) {
    const QtMessageHandler previous = qInstallMessageHandler(holdStartupMessage);
    auto application = std::make_unique<QApplication>(argc, argv);
    qInstallMessageHandler(previous);
    for (const std::string& message : heldMessages) {
        std::fprintf(stderr, "%s\n", message.c_str());
    }
    heldMessages.clear();
    return application;
}

}  // namespace

int main(int argc, char** argv) {
    if (const auto status = morvale::answerInfoOption(argc, argv)) {
        return *status;
    }
    if (displaySettings().empty()) {
        std::fputs("morvale: no display; start it in a graphical session\n", stderr);
        return 1;
    }
    const auto application = startApplication(argc, argv);
    if (!morvale::ui::useGermanQtTexts()) {
        std::fputs(
            "morvale: Qt's German texts not found (qt6-translations-l10n); its dialogs stay "
            "English\n",
            stderr);
    }
    morvale::TermiosSerialLink link;
    morvale::QtWindow window;
    window.describePorts([](int menuId) {
        return morvale::portDescription(morvale::portDevice("COM" + std::to_string(menuId)));
    });
    morvale::Sender sender(window, link);
    sender.run();
    return 0;
}

// Drives the window program as its user would, without a display, so that
// the firmware check can send through the real window to the emulated KC:
// the Qt window on the offscreen platform, the window's own rules and the
// termios link, with the user's clicks given as events.
//   window_drive FILE          loads FILE as "Laden" does, then clicks "Senden"
//   window_drive --menu FILE   loads the listing FILE into the editor, then
//                              chooses "KC" > "Als BASIC-Programm laden"
// The port is COM2 (MORVALE_COM2 names its device). What the window would
// show in a message box or a notice goes to standard error instead, as
// Latin-1. Exit status 0 when the operation ran to its end with no message,
// 1 when the window had one, 2 for a usage error.
#include <QApplication>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "file_loading.h"
#include "qt_window.h"
#include "sender.h"
#include "termios_serial_link.h"

namespace {

// The real window, whose messages are printed, not waited for: there is no
// user to close them.
class UnattendedWindow final : public morvale::QtWindow {
  public:
    UnattendedWindow() : QtWindow(false) {}

    void showMessage(std::string_view title, std::string_view text,
                     morvale::MessageIcon /*icon*/) override {
        messages_ = true;
        std::fprintf(stderr, "window_drive: message \"%.*s\": %.*s\n",
                     static_cast<int>(title.size()), title.data(), static_cast<int>(text.size()),
                     text.data());
    }
    void showNotice(int /*controlId*/, std::string_view latin1) override {
        std::fprintf(stderr, "window_drive: notice: %.*s\n", static_cast<int>(latin1.size()),
                     latin1.data());
    }
    bool hadMessages() const { return messages_; }

  private:
    bool messages_ = false;
};

}  // namespace

int main(int argc, char** argv) {
    const bool menu = argc == 3 && std::string(argv[1]) == "--menu";
    if (argc != 2 && !menu) {
        std::fputs("usage: window_drive [--menu] FILE\n", stderr);
        return 2;
    }
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    QApplication app(argc, argv);
    UnattendedWindow window;
    morvale::TermiosSerialLink link;
    morvale::Sender sender(window, link);
    if (!morvale::loadPath(sender.state(), window, argv[argc - 1])) {
        std::fprintf(stderr, "window_drive: %s did not load\n", argv[argc - 1]);
        return 1;
    }
    sender.dispatch(menu ? morvale::Event::menu(morvale::kLoadAsBasicItem)
                         : morvale::Event::control(morvale::kSendButton));
    return window.hadMessages() ? 1 : 0;
}

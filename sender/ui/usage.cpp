#include "usage.h"

#include <cstdio>
#include <string_view>

#include "version.h"

namespace morvale {
namespace {

constexpr const char* kUsage =
    "Usage: morvale [QT-OPTION...]\n"
    "       morvale --help | --version\n"
    "\n"
    "Types commands, key codes and BASIC listings into a KC 85, uploads memory\n"
    "images (.bin, .kcc, .kcb) into its memory and loads BASIC programs (.sss,\n"
    ".tap, a listing) into HC-BASIC, over a serial line at 1200 baud, 8N1,\n"
    "XON/XOFF. The window speaks German.\n"
    "\n"
    "Ports (menu \"Schnittstelle\", COM2 at start):\n"
    "  COM1 ... COM4  are the serial ports this computer has: an on-board port\n"
    "                 keeps its number (/dev/ttyS0 is COM1), USB adapters take\n"
    "                 the free ones, COM2 first. MORVALE_COM1 ... MORVALE_COM4\n"
    "                 in the environment fix a port's device, e.g.\n"
    "                 MORVALE_COM2=/dev/ttyUSB0 morvale\n"
    "The user needs access to the device (group dialout). Why a port could not\n"
    "be opened is printed on standard error.\n"
    "\n"
    "  -h, --help     show this help and exit\n"
    "      --version  show the version and exit\n"
    "\n"
    "The manual: man morvale\n";

int print(const char* text) {
    std::fputs(text, stdout);
    return std::fflush(stdout) == 0 && std::ferror(stdout) == 0 ? 0 : 1;
}

}  // namespace

std::optional<int> answerInfoOption(int argc, char** argv) {
    for (int i = 1; i < argc; ++i) {
        const std::string_view argument = argv[i];
        if (argument == "--help" || argument == "-h") {
            return print(kUsage);
        }
        if (argument == "--version") {
            return print("morvale " MORVALE_VERSION "\n");
        }
    }
    return std::nullopt;
}

}  // namespace morvale

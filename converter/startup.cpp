#include "startup.h"

#include <cerrno>
#include <csignal>
#include <cstdio>
#include <string_view>

#include <fcntl.h>
#include <unistd.h>

#include "version.h"

namespace kccstrip {
namespace {

constexpr const char* kUsage =
    "Usage: kccstrip FILE.KCC\n"
    "       kccstrip --help | --version\n"
    "\n"
    "Writes the memory image of a KCC file, everything after its 128-byte header,\n"
    "to a .bin file in the same folder: the name lower-cased, \".kcc\" replaced by\n"
    "\".bin\" (SPIEL.KCC gives spiel.bin). An existing output is only ever\n"
    "replaced whole. Prints nothing on success.\n"
    "\n"
    "On failure it prints the reason on standard error and \"Konvertieren\n"
    "fehlgeschlagen!\" on standard output, waits for Enter and exits with 1.\n"
    "\n"
    "  -h, --help     show this help and exit\n"
    "      --version  show the version and exit\n"
    "\n"
    "The manual: man kccstrip\n";

int print(const char* text) {
    std::fputs(text, stdout);
    return std::fflush(stdout) == 0 && std::ferror(stdout) == 0 ? 0 : 1;
}

}  // namespace

void prepareStandardStreams() {
    for (int fd = 0; fd <= 2; ++fd) {
        if (::fcntl(fd, F_GETFD) == -1 && errno == EBADF) {
            // open takes the lowest free number, which is fd.
            if (::open("/dev/null", O_RDWR) < 0) {
                break;
            }
        }
    }
    std::signal(SIGPIPE, SIG_IGN);
}

std::optional<int> answerInfoOption(int argc, char** argv) {
    if (argc != 2) {
        return std::nullopt;
    }
    const std::string_view argument = argv[1];
    if (argument == "--help" || argument == "-h") {
        return print(kUsage);
    }
    if (argument == "--version") {
        return print("kccstrip " MORVALE_VERSION "\n");
    }
    return std::nullopt;
}

}  // namespace kccstrip

// kcsend: the sender without a window. Types commands, presses keys, types
// listings and uploads memory images into a KC 85 over the serial line, with
// the same bytes and pauses as the Morvale window.
#include <sys/prctl.h>
#include <unistd.h>

#include <cstdio>
#include <string>
#include <variant>
#include <vector>

#include "arguments.h"
#include "commands.h"
#include "interrupt.h"
#include "termios_serial_link.h"
#include "version.h"

namespace {

int report(int status, const std::string& message) {
    if (!message.empty()) {
        std::fprintf(stderr, "kcsend: %s\n", message.c_str());
    }
    return status;
}

}  // namespace

int main(int argc, char** argv) {
    using namespace morvale::console;
    const Arguments arguments = parseArguments(std::vector<std::string>(argv + 1, argv + argc));
    if (std::holds_alternative<ShowHelp>(arguments)) {
        std::fputs(usageText().c_str(), stdout);
        return 0;
    }
    if (std::holds_alternative<ShowVersion>(arguments)) {
        std::printf("kcsend %s\n", MORVALE_VERSION);
        return 0;
    }
    if (const auto* usage = std::get_if<UsageError>(&arguments)) {
        return report(2, usage->message + " (kcsend --help tells more)");
    }
    const Options& options = std::get<Options>(arguments);

    if (!installInterruptHandler()) {
        return report(1, "cannot catch Ctrl+C");
    }
    // Pauses of 1 ms ticks: the default timer slack of 50 us would stretch
    // every tick.
    ::prctl(PR_SET_TIMERSLACK, 1UL, 0UL, 0UL, 0UL);

    // What the link would say on standard error comes back in the reports,
    // and failures are told once, as the command's outcome.
    morvale::TermiosSerialLink link([](std::string_view) {});
    const bool showProgress =
        options.progress == ProgressMode::Always ||
        (options.progress == ProgressMode::Auto && ::isatty(STDERR_FILENO) == 1);
    const Outcome outcome = runCommand(options, link, showProgress);
    return report(outcome.status, outcome.message);
}

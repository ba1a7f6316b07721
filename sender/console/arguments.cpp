#include "arguments.h"

#include <string_view>

namespace morvale::console {
namespace {

std::optional<Command> commandNamed(std::string_view word) {
    if (word == "type") {
        return Command::Type;
    }
    if (word == "key") {
        return Command::Key;
    }
    if (word == "text") {
        return Command::Text;
    }
    if (word == "upload") {
        return Command::Upload;
    }
    if (word == "ports") {
        return Command::Ports;
    }
    return std::nullopt;
}

// Matches "-p VALUE", "-pVALUE", "--port VALUE" and "--port=VALUE". Sets
// missing when the value is not there.
bool takeValue(const std::vector<std::string>& args, std::size_t& i, std::string_view shortName,
               std::string_view longName, std::string& value, bool& missing) {
    const std::string_view arg = args[i];
    if (arg == shortName || arg == longName) {
        if (i + 1 >= args.size()) {
            missing = true;
            return true;
        }
        value = args[++i];
        return true;
    }
    if (arg.starts_with(shortName) && arg.size() > shortName.size() && !arg.starts_with("--")) {
        value = std::string(arg.substr(shortName.size()));
        return true;
    }
    if (arg.starts_with(std::string(longName) + "=")) {
        value = std::string(arg.substr(longName.size() + 1));
        return true;
    }
    return false;
}

}  // namespace

Arguments parseArguments(const std::vector<std::string>& args) {
    Options options;
    std::optional<Command> command;
    bool optionsEnded = false;
    bool progressGiven = false;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        const bool textStarted = command == Command::Type && !options.operands.empty();
        if (!optionsEnded && !textStarted && arg.size() > 1 && arg[0] == '-') {
            std::string value;
            bool missing = false;
            if (arg == "--") {
                optionsEnded = true;
            } else if (arg == "-h" || arg == "--help") {
                return ShowHelp{};
            } else if (arg == "--version") {
                return ShowVersion{};
            } else if (arg == "--keep-case") {
                options.keepCase = true;
            } else if (arg == "--progress" || arg == "--quiet" || arg == "-q") {
                const auto mode = arg == "--progress" ? ProgressMode::Always : ProgressMode::Quiet;
                if (progressGiven && options.progress != mode) {
                    return UsageError{"--progress and --quiet exclude each other"};
                }
                progressGiven = true;
                options.progress = mode;
            } else if (takeValue(args, i, "-p", "--port", value, missing)) {
                if (missing || value.empty()) {
                    return UsageError{"-p needs a port (COM1 to COM4 or a device path)"};
                }
                options.port = value;
            } else if (takeValue(args, i, "-a", "--address", value, missing)) {
                if (missing) {
                    return UsageError{"-a needs an address (hexadecimal)"};
                }
                options.address = value;
            } else {
                return UsageError{"unknown option " + arg};
            }
            continue;
        }
        if (!command) {
            command = commandNamed(arg);
            if (!command) {
                return UsageError{"unknown command '" + arg +
                                  "'; use type, key, text, upload or ports"};
            }
            continue;
        }
        options.operands.push_back(arg);
    }

    if (!command) {
        return UsageError{"no command given; use type, key, text, upload or ports"};
    }
    options.command = *command;
    if (options.keepCase && *command != Command::Type) {
        return UsageError{"--keep-case belongs to type"};
    }
    if (options.address && *command != Command::Upload) {
        return UsageError{"-a belongs to upload"};
    }
    switch (*command) {
        case Command::Type:
            break;
        case Command::Key:
            if (options.operands.empty()) {
                return UsageError{"key needs at least one key name"};
            }
            break;
        case Command::Text:
        case Command::Upload:
            if (options.operands.size() != 1) {
                return UsageError{std::string(*command == Command::Text ? "text" : "upload") +
                                  " needs exactly one file"};
            }
            if (*command == Command::Upload && options.operands[0] == "-") {
                return UsageError{"upload needs a file; its name tells the kind of image"};
            }
            break;
        case Command::Ports:
            if (!options.operands.empty()) {
                return UsageError{"ports takes no operands"};
            }
            break;
    }
    return options;
}

std::string usageText() {
    return "Usage: kcsend [-p PORT] type [--keep-case] TEXT...\n"
           "       kcsend [-p PORT] key NAME...\n"
           "       kcsend [-p PORT] text FILE\n"
           "       kcsend [-p PORT] upload FILE [-a ADDRESS]\n"
           "       kcsend ports\n"
           "Sends to a KC 85 over the serial line, as the Morvale window does.\n"
           "\n"
           "  type TEXT...     type a command (words joined by single spaces, in capitals)\n"
           "                   and a carriage return\n"
           "  key NAME...      press KC keys: F1 to F6, BRK, STOP, INS, DEL, CLR, HOME\n"
           "  text FILE        type a listing with the window's pauses; - reads standard input\n"
           "  upload FILE      upload a .bin, .kcc or .kcb image into the KC's memory\n"
           "  ports            list COM1 to COM4 and the other serial devices\n"
           "\n"
           "  -p, --port PORT      COM1 to COM4 as kcsend ports lists them (MORVALE_COM1 to\n"
           "                       MORVALE_COM4 fix their devices), or a device path;\n"
           "                       default COM2\n"
           "  -a, --address ADDR   upload's target address in hexadecimal; default the\n"
           "                       image's load address, 200 for a .bin image\n"
           "      --keep-case      type the text as given, not in capitals\n"
           "      --progress       show the progress line also when standard error is no terminal\n"
           "  -q, --quiet          print nothing but errors\n"
           "  -h, --help           show this help\n"
           "      --version        show the version\n"
           "\n"
           "Ctrl+C stops a listing or an upload in good order; a second one stops at once.\n"
           "Exit status: 0 all sent, 1 something not sent, 2 usage error, 130 after Ctrl+C.\n";
}

}  // namespace morvale::console

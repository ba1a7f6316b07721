#include "arguments.h"

#include <string_view>
#include <utility>

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
    if (word == "run") {
        return Command::Run;
    }
    if (word == "basic") {
        return Command::Basic;
    }
    if (word == "list") {
        return Command::List;
    }
    if (word == "save") {
        return Command::Save;
    }
    if (word == "dump") {
        return Command::Dump;
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

// A pause in milliseconds: 0 to 60000, digits only.
std::optional<int> pauseValue(std::string_view text) {
    if (text.empty() || text.size() > 5 ||
        text.find_first_not_of("0123456789") != std::string_view::npos) {
        return std::nullopt;
    }
    const int value = std::stoi(std::string(text));
    return value <= 60000 ? std::optional<int>(value) : std::nullopt;
}

struct PauseOption {
    std::string_view name;
    int TextPacing::*field;
};

constexpr PauseOption kPauseOptions[] = {
    {"--char-pause", &TextPacing::afterCharacter},
    {"--mark-pause", &TextPacing::atLineMark},
    {"--line-pause", &TextPacing::afterLineEnd},
    {"--line-growth", &TextPacing::lineEndGrowthPerKilo},
};

// The pause option at args[i], with its value as takeValue reads it.
const PauseOption* pauseOption(const std::vector<std::string>& args, std::size_t& i,
                               std::string& value, bool& missing) {
    for (const PauseOption& option : kPauseOptions) {
        // Long names only: no short name to match.
        if (takeValue(args, i, option.name, option.name, value, missing)) {
            return &option;
        }
    }
    return nullptr;
}

}  // namespace

Arguments parseArguments(const std::vector<std::string>& args) {
    Options options;
    std::optional<Command> command;
    bool optionsEnded = false;
    bool progressGiven = false;
    bool pacingGiven = false;
    // The single pauses, set over --short-pauses wherever it stands.
    std::vector<std::pair<int TextPacing::*, int>> pauses;
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
            } else if (arg == "--restore-caos") {
                options.restoreCaos = true;
            } else if (arg == "--verify") {
                options.verify = true;
            } else if (arg == "--short-pauses") {
                options.pacing = kShortPacing;
                pacingGiven = true;
            } else if (const PauseOption* pause = pauseOption(args, i, value, missing)) {
                const auto ms = missing ? std::nullopt : pauseValue(value);
                if (!ms) {
                    return UsageError{std::string(pause->name) +
                                      " needs a pause in milliseconds (0 to 60000)"};
                }
                pauses.emplace_back(pause->field, *ms);
                pacingGiven = true;
            } else if (takeValue(args, i, "-p", "--port", value, missing)) {
                if (missing || value.empty()) {
                    return UsageError{"-p needs a port (COM1 to COM4 or a device path)"};
                }
                options.port = value;
            } else if (takeValue(args, i, "-s", "--start", value, missing)) {
                if (missing) {
                    return UsageError{"-s needs a start address (hexadecimal)"};
                }
                options.start = value;
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
                return UsageError{
                    "unknown command '" + arg +
                    "'; use type, key, text, upload, run, basic, list, save, dump or ports"};
            }
            continue;
        }
        options.operands.push_back(arg);
    }

    if (!command) {
        return UsageError{
            "no command given; use type, key, text, upload, run, basic, list, save, dump or ports"};
    }
    options.command = *command;
    if (options.keepCase && *command != Command::Type) {
        return UsageError{"--keep-case belongs to type"};
    }
    const bool uploads = *command == Command::Upload || *command == Command::Run;
    if (options.address && !uploads) {
        return UsageError{"-a belongs to upload and run"};
    }
    if ((options.start || options.verify) && !uploads) {
        return UsageError{std::string(options.start ? "-s" : "--verify") +
                          " belongs to upload and run"};
    }
    if (options.restoreCaos && !uploads && *command != Command::Dump) {
        return UsageError{"--restore-caos belongs to upload, run and dump"};
    }
    if (pacingGiven && *command != Command::Text) {
        return UsageError{"the pause options belong to text"};
    }
    for (const auto& [field, ms] : pauses) {
        options.pacing.*field = ms;
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
        case Command::Run:
        case Command::Basic:
        case Command::List:
        case Command::Save: {
            const std::string word = *command == Command::Text     ? "text"
                                     : *command == Command::Upload ? "upload"
                                     : *command == Command::Run    ? "run"
                                     : *command == Command::Basic  ? "basic"
                                     : *command == Command::List   ? "list"
                                                                   : "save";
            if (options.operands.size() != 1) {
                return UsageError{word + " needs exactly one file"};
            }
            if ((uploads || *command == Command::Save) && options.operands[0] == "-") {
                return UsageError{word + " needs a file; its name tells the kind of image"};
            }
            break;
        }
        case Command::Dump:
            if (options.operands.size() != 3) {
                return UsageError{"dump needs FROM, TO (hexadecimal) and a file"};
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
           "       kcsend [-p PORT] text [PAUSES] FILE\n"
           "       kcsend [-p PORT] upload [--restore-caos] [--verify] FILE [-a ADDRESS] [-s "
           "START]\n"
           "       kcsend [-p PORT] run [--restore-caos] [--verify] FILE [-a ADDRESS] [-s START]\n"
           "       kcsend [-p PORT] basic FILE\n"
           "       kcsend list FILE\n"
           "       kcsend [-p PORT] save FILE\n"
           "       kcsend [-p PORT] dump [--restore-caos] FROM TO FILE\n"
           "       kcsend ports\n"
           "Sends to a KC 85 over the serial line, as the Morvale window does.\n"
           "\n"
           "  type TEXT...     type a command (words joined by single spaces, in capitals)\n"
           "                   and a carriage return\n"
           "  key NAME...      press KC keys: F1 to F6, BRK, STOP, INS, DEL, CLR, HOME\n"
           "  text FILE        type a listing with the window's pauses; - reads standard input\n"
           "  upload FILE      upload a .bin, .kcc or .kcb image (or a .tap holding a\n"
           "                   .kcc) into the KC's memory\n"
           "  run FILE         upload it and start it at the KCC header's start address\n"
           "  basic FILE       load a BASIC program into HC-BASIC at the line's speed: a\n"
           "                   listing (.bas, .txt; - reads standard input), .sss, .tap or\n"
           "                   .kcb; from the CAOS prompt or BASIC's, then RUN runs it\n"
           "  list FILE        print the listing of a .sss, .tap, .kcb or .kcc BASIC program\n"
           "  save FILE        the program BASIC holds, by LIST#3, as a listing (.bas, .txt)\n"
           "                   or an .sss; written only when it came whole\n"
           "  dump FROM TO FILE  the KC's memory from FROM to TO (hexadecimal, both\n"
           "                   included) into a .kcc file, or a raw one for any other name;\n"
           "                   needs CAOS's command state, as an upload does\n"
           "  ports            list COM1 to COM4 and the other serial devices\n"
           "\n"
           "  -p, --port PORT      COM1 to COM4 as kcsend ports lists them (MORVALE_COM1 to\n"
           "                       MORVALE_COM4 fix their devices), or a device path;\n"
           "                       default COM2\n"
           "  -a, --address ADDR   upload's target address in hexadecimal; default the\n"
           "                       image's load address, 200 for a .bin image\n"
           "  -s, --start ADDR     start the uploaded program there (hexadecimal)\n"
           "      --restore-caos   first type MODIFY 1E2 and E7 FA, which gives CAOS back the\n"
           "                       command state a typed command took away; only at the\n"
           "                       CAOS prompt (in BASIC: BYE first, or press RESET)\n"
           "      --verify         read the upload back from the KC and compare\n"
           "      --keep-case      type the text as given, not in capitals\n"
           "  PAUSES, in ms: --char-pause (6), --mark-pause at a line's 40th character\n"
           "      (450), --line-pause after a line end (600), --line-growth per 1000\n"
           "      characters typed (35); --short-pauses: 6, 50, 50, 0, as before\n"
           "      --progress       show the progress line also when standard error is no terminal\n"
           "  -q, --quiet          print nothing but errors\n"
           "  -h, --help           show this help\n"
           "      --version        show the version\n"
           "\n"
           "Upload first, or reset the KC: after a typed command or listing CAOS takes\n"
           "the line as its keyboard and an upload as keys.\n"
           "Ctrl+C stops a listing or an upload in good order; a second one stops at once.\n"
           "Exit status: 0 all sent, 1 something not sent, 2 usage error, 130 after Ctrl+C.\n";
}

}  // namespace morvale::console

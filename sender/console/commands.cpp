#include "commands.h"

#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <vector>

#include "console_window.h"
#include "file_loading.h"
#include "file_reading.h"
#include "hex_number.h"
#include "interrupt.h"
#include "keyboard_relay.h"
#include "latin1_arguments.h"
#include "memory_upload.h"
#include "port_list.h"
#include "progress_line.h"
#include "sender.h"
#include "text_transfer.h"
#include "watched_link.h"

namespace morvale::console {
namespace {

constexpr int kNotSent = 1;
constexpr int kUsage = 2;
constexpr std::string_view kRomWarning = "Ziel liegt im ROM!     ";
constexpr std::string_view kShortPiece = "Sendespeicher nicht leer!";
constexpr std::string_view kTooLong = "Datei zu gro\xDF!";

Outcome interruptedOutcome(std::string what) {
    return {kInterruptedStatus, "interrupted; " + std::move(what)};
}

// A report of the link or the logic without the window program's name in
// front.
std::string withoutOtherName(const std::string& report) {
    constexpr std::string_view kOtherName = "morvale: ";
    return report.starts_with(kOtherName) ? report.substr(kOtherName.size()) : report;
}

// The window's notice in UTF-8; 0x96 in it is a dash.
std::string noticeText(std::string latin1) {
    std::replace(latin1.begin(), latin1.end(), '\x96', '-');
    return latin1ToUtf8(latin1);
}

bool isRawImageName(const std::string& path) {
    std::string extension = path.size() > 4 ? path.substr(path.size() - 4) : path;
    std::transform(extension.begin(), extension.end(), extension.begin(),
                   [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c + 32) : c; });
    return extension == ".bin";
}

std::string hex(std::int32_t value) {
    return formatHex(value);
}

// The key button whose caption the name is, in any case; 0 for none.
int keyButtonNamed(std::string_view name) {
    for (int id = kFirstKeyButton; id <= kLastKeyButton; ++id) {
        const std::string_view caption = keyCaption(id);
        if (caption.size() == name.size() &&
            std::equal(caption.begin(), caption.end(), name.begin(), [](char a, char b) {
                return a == (b >= 'a' && b <= 'z' ? static_cast<char>(b - 'a' + 'A') : b);
            })) {
            return id;
        }
    }
    return 0;
}

// Why loadPath refused a file that it gave no message for.
std::string loadFailure(const std::string& path, int error) {
    switch (fileSize(path)) {
        case kNoSuchFile:
            return path + ": no such file";
        case kIsDirectory:
            return path + ": is a directory";
        case 0:
            return path + ": is empty";
        default:
            return path + ": cannot be read: " + std::strerror(error);
    }
}

// Reads standard input to its end, or one byte past the longest text a file
// may hold, which is then refused as such a file is; nothing when a read
// fails or Ctrl+C stops it.
std::optional<std::vector<std::uint8_t>> readStandardInput(int& error) {
    std::vector<std::uint8_t> bytes;
    std::uint8_t buffer[65536];
    for (;;) {
        const ssize_t n = ::read(STDIN_FILENO, buffer, sizeof buffer);
        if (n == 0) {
            return bytes;
        }
        if (n > 0) {
            bytes.insert(bytes.end(), buffer, buffer + n);
            if (static_cast<std::int64_t>(bytes.size()) > kLongestText) {
                return bytes;
            }
        } else if (errno != EINTR || interrupted()) {
            error = errno;
            return std::nullopt;
        }
    }
}

class Run {
  public:
    Run(const Options& options, SerialLink& link, const std::string& linkReport, bool showProgress)
        : options_(options),
          linkReport_(linkReport),
          showProgress_(showProgress),
          progress_(STDERR_FILENO),
          link_(link, progress_),
          window_([] { return interrupted(); }),
          sender_(window_, link_,
                  [this](std::string_view line) { heldReports_.emplace_back(line); }) {
        sender_.state().portName = options.port;
        sender_.state().textPacing = options.pacing;
    }

    Outcome run() {
        switch (options_.command) {
            case Command::Type:
                return type();
            case Command::Key:
                return keys();
            case Command::Text:
                return text();
            case Command::Upload:
            case Command::Run:
                return upload();
            case Command::Ports:
                std::fputs(portList().c_str(), stdout);
                return {};
        }
        return {};
    }

  private:
    Outcome type() {
        std::string command;
        for (const std::string& word : options_.operands) {
            command += (command.empty() ? "" : " ") + word;
        }
        auto latin1 = latin1FromArgument(command);
        if (!latin1) {
            return {kUsage, "the text has a character outside Latin-1, which the KC cannot take"};
        }
        window_.setText(kCommandLine, options_.keepCase ? *latin1 : commandLineCapitals(*latin1));
        if (interrupted()) {
            return interruptedOutcome("nothing sent");
        }
        sender_.dispatch(Event::menu(kReturnKeyItem));
        if (auto held = gaveUpWaiting()) {
            return *held;
        }
        if (interrupted() && !link_.openFailed() && !link_.writeFailed()) {
            return interruptedOutcome("the command was sent whole");
        }
        return afterSending("the command was not sent completely");
    }

    Outcome keys() {
        std::vector<int> buttons;
        for (const std::string& name : options_.operands) {
            const int button = keyButtonNamed(name);
            if (button == 0) {
                return {kUsage, "no KC key named '" + name +
                                    "'; use F1 to F6, BRK, STOP, INS, DEL, CLR or HOME"};
            }
            buttons.push_back(button);
        }
        for (const int button : buttons) {
            if (interrupted()) {
                return interruptedOutcome(button == buttons.front() ? "nothing sent"
                                                                    : "not all keys were sent");
            }
            sender_.dispatch(Event::control(button));
            if (auto held = gaveUpWaiting()) {
                return *held;
            }
            if (link_.openFailed() || link_.writeFailed()) {
                return afterSending("not all keys were sent");
            }
        }
        return interrupted() ? interruptedOutcome("the keys were sent") : Outcome{};
    }

    Outcome text() {
        const std::string& path = options_.operands[0];
        if (path == "-") {
            int error = 0;
            const auto bytes = readStandardInput(error);
            if (!bytes) {
                return interrupted() ? interruptedOutcome("nothing sent")
                                     : Outcome{kNotSent, std::string("standard input: ") +
                                                             std::strerror(error)};
            }
            if (!loadTextBytes(window_, *bytes)) {
                return {kNotSent, "standard input: more than 1 MiB, too long for a listing"};
            }
        } else if (auto failure = load(path)) {
            return *failure;
        }
        const std::string editorText = window_.text(kEditor);
        if (isImageMarker(editorText)) {
            return {kUsage, path + " is a memory image; send it with kcsend upload"};
        }
        if (editorText.empty()) {
            return {kNotSent, "standard input is empty; nothing to send"};
        }
        warnOverlong(path == "-" ? "standard input" : path, overlongLines(editorText));
        const TransferPlan plan = planText(editorText, options_.pacing);
        return send(path == "-" ? "standard input" : path, "characters", plan, [&] {
            return "the KC got " + std::to_string(link_.written()) + " of " +
                   std::to_string(plan.bytes) + " characters";
        });
    }

    Outcome upload() {
        const std::string& path = options_.operands[0];
        if (auto failure = load(path)) {
            return *failure;
        }
        if (!isImageMarker(window_.text(kEditor))) {
            return {kUsage, path +
                                " is not a memory image (.bin, .kcc or .kcb); "
                                "type it with kcsend text"};
        }
        AppState& state = sender_.state();
        std::optional<std::int32_t> start;
        if (options_.start) {
            start = readHex(*options_.start);
            if (*start < 0 || *start > 0xFFFF) {
                return {kUsage, "-s needs a start address from 0 to FFFF"};
            }
        } else if (options_.command == Command::Run) {
            start = state.startAddress;
            if (!start) {
                return {kNotSent, path + " has no start address; give one with -s"};
            }
        }
        if (options_.restoreCaos) {
            if (interrupted()) {
                return interruptedOutcome("nothing sent");
            }
            if (!restoreCommandState(state, window_, link_)) {
                return afterSending("the command state was not restored; nothing uploaded");
            }
        }
        window_.setAddressAnswer(options_.address);
        const TransferPlan plan = planUpload(state.dataLength);
        const std::int64_t typedBefore = link_.written();
        Outcome outcome = send(path, "bytes", plan, [&] {
            return "the KC received only " + std::to_string(link_.written() - typedBefore) +
                   " of " + std::to_string(plan.bytes) + " bytes of the upload";
        });
        if (outcome.status != 0 || !start) {
            return outcome;
        }
        if (interrupted()) {
            return interruptedOutcome("the image was uploaded, the program not started");
        }
        if (!startProgram(state, window_, link_, *start)) {
            return afterSending("the image was uploaded, the program not started");
        }
        return {};
    }

    // One line on standard error naming the lines BASIC cuts.
    void warnOverlong(const std::string& what, const std::vector<int>& lines) const {
        if (lines.empty() || options_.progress == ProgressMode::Quiet) {
            return;
        }
        std::string named;
        for (std::size_t i = 0; i < lines.size() && i < 10; ++i) {
            named += (i == 0 ? "" : ", ") + std::to_string(lines[i]);
        }
        if (lines.size() > 10) {
            named += " and " + std::to_string(lines.size() - 10) + " more";
        }
        const bool one = lines.size() == 1;
        const std::string line = what + ": " + (one ? "line " : "lines ") + named +
                                 (one ? " is" : " are") + " longer than the " +
                                 std::to_string(kLongestBasicLine) +
                                 " characters BASIC keeps; sent as " + (one ? "it is" : "they are");
        std::fprintf(stderr, "kcsend: %s\n", line.c_str());
    }

    // Loads a file as the load button does; the reason when it was not loaded.
    std::optional<Outcome> load(const std::string& path) {
        window_.setChosenFile(path);
        errno = 0;
        if (loadPath(sender_.state(), window_, path)) {
            return std::nullopt;
        }
        const int error = errno;
        for (const std::string& message : window_.messages()) {
            if (message == kTooLong) {
                return Outcome{kNotSent,
                               isRawImageName(path)
                                   ? path + ": too long for the KC's memory (over 65,535 bytes)"
                                   : path + ": more than 1 MiB, too long for a listing"};
            }
        }
        return Outcome{kNotSent, loadFailure(path, error)};
    }

    template <typename Partly>
    Outcome send(const std::string& what, const std::string& unit, const TransferPlan& plan,
                 Partly partly) {
        if (interrupted()) {
            return interruptedOutcome("nothing sent");
        }
        const std::size_t messagesBefore = window_.messages().size();
        if (showProgress_) {
            progress_.start(what, unit, plan);
        }
        sender_.dispatch(Event::control(kSendButton));
        progress_.finish();

        const std::vector<std::string> messages(window_.messages().begin() + messagesBefore,
                                                window_.messages().end());
        for (const std::string& message : messages) {
            if (message == kRomWarning) {
                return {kNotSent, romRefusal()};
            }
        }
        if (interrupted()) {
            return interruptedOutcome(partly());
        }
        if (link_.openFailed() || link_.writeFailed()) {
            return afterSending(partly());
        }
        if (auto held = gaveUpWaiting()) {
            return *held;
        }
        std::size_t shortPieces = 0;
        for (const std::string& message : messages) {
            if (message == kShortPiece) {
                ++shortPieces;
            } else {
                return {kNotSent, latin1ToUtf8(message)};
            }
        }
        if (shortPieces > 0) {
            return {kNotSent, std::to_string(shortPieces) +
                                  (shortPieces == 1 ? " piece" : " pieces") +
                                  " of the image did not go out whole (the KC held the line "
                                  "too long); " +
                                  partly()};
        }
        return {};
    }

    // The reason the ROM guard gave, with the numbers.
    std::string romRefusal() const {
        const std::int32_t address =
            readHex(options_.address.value_or(formatHex(sender_.state().loadAddress)));
        const std::int32_t length = sender_.state().dataLength;
        if (address < 0) {
            return "address " + hex(address) + " is no KC address; nothing sent";
        }
        if (address >= kRomStart) {
            return "address " + hex(address) + " lies in the KC's ROM (from " + hex(kRomStart) +
                   " up); nothing sent";
        }
        return "the image (" + std::to_string(length) + " bytes from " + hex(address) +
               ") would reach into the KC's ROM at " + hex(kRomStart) + "; nothing sent";
    }

    // The outcome once an operation has returned, from what the link saw. The
    // link's report says in English what the window's notice says in German;
    // the notice stands in only for a link that reported nothing.
    Outcome afterSending(const std::string& partly) {
        if (link_.openFailed()) {
            std::string reason = withoutOtherName(linkReport_);
            if (reason.empty()) {
                reason = window_.notices().empty() ? std::string("the port did not open")
                                                   : noticeText(window_.notices().back());
            }
            return {kNotSent, reason + "; nothing sent"};
        }
        if (link_.writeFailed()) {
            const std::string reason = withoutOtherName(linkReport_);
            return {kNotSent, (reason.empty() ? "the device failed" : reason) + "; " + partly};
        }
        return {};
    }

    // The outcome when the logic gave up waiting for a line the KC held.
    std::optional<Outcome> gaveUpWaiting() const {
        if (heldReports_.empty()) {
            return std::nullopt;
        }
        const std::string reason = withoutOtherName(heldReports_.back());
        return interrupted() ? interruptedOutcome(reason) : Outcome{kNotSent, reason};
    }

    const Options& options_;
    const std::string& linkReport_;
    const bool showProgress_;
    ProgressLine progress_;
    WatchedLink link_;
    ConsoleWindow window_;
    std::vector<std::string> heldReports_;
    Sender sender_;
};

}  // namespace

Outcome runCommand(const Options& options, SerialLink& link, const std::string& linkReport,
                   bool showProgress) {
    return Run(options, link, linkReport, showProgress).run();
}

}  // namespace morvale::console

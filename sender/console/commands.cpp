#include "commands.h"

#include <unistd.h>

#include <cstdio>
#include <variant>
#include <vector>

#include <langinfo.h>

#include <clocale>
#include <cstring>

#include "basic_listing.h"
#include "basic_load.h"
#include "basic_save.h"
#include "file_descriptor.h"
#include "file_writing.h"
#include "hex_number.h"
#include "interrupt.h"
#include "latin1_arguments.h"
#include "listing.h"
#include "loading.h"
#include "memory_dump.h"
#include "port_list.h"
#include "progress_line.h"
#include "sss.h"
#include "typing.h"
#include "upload.h"

namespace morvale::console {
namespace {

using kc::ErrorKind;

constexpr int kNotSent = 1;
constexpr int kUsage = 2;

Outcome interruptedOutcome(std::string what) {
    return {kInterruptedStatus, "interrupted; " + std::move(what)};
}

// Reads standard input to its end, or one byte past the longest text a file
// may hold, which is then refused as such a file is; the error when a read
// fails, nothing when Ctrl+C stops it.
std::variant<std::vector<std::uint8_t>, kc::Error, std::monostate> readStandardInput() {
    std::vector<std::uint8_t> bytes;
    std::uint8_t buffer[65536];
    for (;;) {
        const auto read =
            posix_io::attemptOnce([&] { return ::read(STDIN_FILENO, buffer, sizeof buffer); });
        if (read.result == 0) {
            return bytes;
        }
        if (read.result > 0) {
            bytes.insert(bytes.end(), buffer, buffer + read.result);
            if (static_cast<std::int64_t>(bytes.size()) > kLongestText) {
                return bytes;
            }
        } else if (interrupted()) {
            return std::monostate{};
        } else if (!read.interrupted()) {
            return kc::systemError("standard input", read.error);
        }
    }
}

class Run {
  public:
    Run(const Options& options, SerialLink& link, bool showProgress)
        : options_(options), showProgress_(showProgress), progress_(STDERR_FILENO), link_(link) {}

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
            case Command::Basic:
                return basic();
            case Command::List:
                return list();
            case Command::Save:
                return save();
            case Command::Dump:
                return dump();
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
        if (interrupted()) {
            return interruptedOutcome("nothing sent");
        }
        const SendReport report =
            typeLine(link_, pacer_, options_.port,
                     options_.keepCase ? *latin1 : commandLineCapitals(*latin1));
        if (auto held = gaveUpWaiting(report)) {
            return *held;
        }
        if (interrupted() && !report.error) {
            return interruptedOutcome("the command was sent whole");
        }
        return afterSending(report, "the command was not sent completely");
    }

    Outcome keys() {
        std::vector<std::uint8_t> codes;
        for (const std::string& name : options_.operands) {
            const auto code = keyNamed(name);
            if (!code) {
                return {kUsage, "no KC key named '" + name +
                                    "'; use F1 to F6, BRK, STOP, INS, DEL, CLR or HOME"};
            }
            codes.push_back(*code);
        }
        for (std::size_t i = 0; i < codes.size(); ++i) {
            if (interrupted()) {
                return interruptedOutcome(i == 0 ? "nothing sent" : "not all keys were sent");
            }
            const SendReport report = pressKey(link_, pacer_, options_.port, codes[i]);
            if (auto held = gaveUpWaiting(report)) {
                return *held;
            }
            if (report.error) {
                return afterSending(report, "not all keys were sent");
            }
        }
        return interrupted() ? interruptedOutcome("the keys were sent") : Outcome{};
    }

    Outcome text() {
        const std::string& path = options_.operands[0];
        const bool fromInput = path == "-";
        const std::string what = fromInput ? "standard input" : path;
        std::string lines;
        if (fromInput) {
            const auto read = readStandardInput();
            if (std::holds_alternative<std::monostate>(read)) {
                return interruptedOutcome("nothing sent");
            }
            if (const auto* error = std::get_if<kc::Error>(&read)) {
                return {kNotSent, error->describe()};
            }
            auto listing = listingFromBytes(std::get<std::vector<std::uint8_t>>(read), what);
            if (const auto* error = std::get_if<kc::Error>(&listing)) {
                return {kNotSent, error->describe()};
            }
            lines = std::move(std::get<Listing>(listing).lines);
        } else {
            Loaded loaded = loadFile(path);
            if (const auto* error = std::get_if<kc::Error>(&loaded)) {
                return {kNotSent, error->describe()};
            }
            if (std::holds_alternative<Image>(loaded)) {
                return {kUsage, path + " is a memory image; send it with kcsend upload"};
            }
            if (std::holds_alternative<Program>(loaded)) {
                return {kUsage, path + " is a BASIC program; load it with kcsend basic"};
            }
            lines = std::move(std::get<Listing>(loaded).lines);
        }
        if (lines.empty()) {
            return {kNotSent, "standard input is empty; nothing to send"};
        }
        warnOverlong(what, overlongLines(lines), Overlong::Typed);
        const TransferPlan plan = planText(lines, options_.pacing);
        if (interrupted()) {
            return interruptedOutcome("nothing sent");
        }
        startProgress(what, "characters", plan);
        const SendReport report =
            sendListing(link_, pacer_, options_.port, lines, options_.pacing, &progress_);
        progress_.finish();
        return afterTransfer(report, "the KC got " + std::to_string(report.bytesSent) + " of " +
                                         std::to_string(plan.bytes) + " characters");
    }

    Outcome upload() {
        const std::string& path = options_.operands[0];
        Loaded loaded = loadFile(path);
        if (const auto* error = std::get_if<kc::Error>(&loaded)) {
            return {kNotSent, error->describe()};
        }
        if (std::holds_alternative<Program>(loaded)) {
            return {kUsage, path + " is a BASIC program; load it with kcsend basic"};
        }
        const Image* image = std::get_if<Image>(&loaded);
        if (!image) {
            return {kUsage, path +
                                " is not a memory image (.bin, .kcc or .kcb); "
                                "type it with kcsend text"};
        }
        noteArchive(path, image->filesInArchive);
        std::optional<std::int32_t> start;
        if (options_.start) {
            start = readHex(*options_.start);
            if (*start < 0 || *start > 0xFFFF) {
                return {kUsage, "-s needs a start address from 0 to FFFF"};
            }
        } else if (options_.command == Command::Run) {
            start = image->startAddress;
            if (!start) {
                return {kNotSent, path + " has no start address; give one with -s"};
            }
        }
        if (options_.restoreCaos) {
            if (interrupted()) {
                return interruptedOutcome("nothing sent");
            }
            const SendReport restored =
                restoreCommandState(link_, pacer_, options_.port, options_.pacing.afterLineEnd);
            if (restored.error) {
                return afterSending(restored,
                                    "the command state was not restored; nothing uploaded");
            }
        }
        // The address as the prompt reads it, preset to the image's own.
        const std::int32_t address = options_.address
                                         ? readHex(*options_.address)
                                         : image->loadAddress.value_or(kDefaultLoadAddress);
        const auto length = static_cast<std::int32_t>(image->bytes.size());
        const TransferPlan plan = planUpload(length);
        if (interrupted()) {
            return interruptedOutcome("nothing sent");
        }
        startProgress(path, "bytes", plan);
        if (const auto refusal = targetRefusal(address, length)) {
            progress_.finish();
            return {kNotSent, refusal->describe() + "; nothing sent"};
        }
        const SendReport report =
            sendImage(link_, pacer_, options_.port, address, image->bytes, &progress_);
        progress_.finish();
        Outcome outcome =
            afterTransfer(report, "the KC received only " + std::to_string(report.bytesSent) +
                                      " of " + std::to_string(plan.bytes) + " bytes of the upload");
        if (outcome.status == 0 && options_.verify) {
            outcome = verify(path, static_cast<std::uint16_t>(address), image->bytes);
        }
        if (outcome.status != 0 || !start) {
            return outcome;
        }
        if (interrupted()) {
            return interruptedOutcome("the image was uploaded, the program not started");
        }
        const SendReport started = startProgram(link_, pacer_, options_.port, *start);
        return afterSending(started, "the image was uploaded, the program not started");
    }

    // Reads the upload back and compares.
    Outcome verify(const std::string& what, std::uint16_t address,
                   std::span<const std::uint8_t> image) {
        if (interrupted()) {
            return interruptedOutcome("the image was uploaded, not checked");
        }
        const TransferPlan plan = planDump(static_cast<std::uint32_t>(image.size()));
        startProgress(what + " (check)", "bytes", plan);
        const MemoryCheck check =
            checkMemory(link_, pacer_, options_.port, address, image, &progress_);
        progress_.finish();
        return afterHearing(check.report, "the image was uploaded, not checked");
    }

    Outcome save() {
        const std::string& path = options_.operands[0];
        if (interrupted()) {
            return interruptedOutcome("nothing asked of the KC");
        }
        startProgress(path, "bytes", {});
        const ListingReceived received =
            receiveBasicListing(link_, pacer_, options_.port, path, &progress_);
        progress_.finish();
        const std::string nothing = std::to_string(received.lines.size()) +
                                    (received.lines.size() == 1 ? " line" : " lines") +
                                    " came; nothing written";
        if (Outcome outcome = afterHearing(received.report, nothing); outcome.status != 0) {
            return outcome;
        }
        std::string listing;
        for (const std::string& line : received.lines) {
            listing += line + "\r\n";
        }
        auto bytes = listingFile(path, received.lines);
        if (const auto* error = std::get_if<kc::Error>(&bytes)) {
            return {kNotSent, error->describe() + "; nothing written"};
        }
        if (const auto error = writeWholeFile(path, std::get<std::vector<std::uint8_t>>(bytes))) {
            return {kNotSent, error->describe() + "; the listing came whole, but was not written"};
        }
        return {};
    }

    Outcome dump() {
        const std::string& path = options_.operands[2];
        const auto from = readAddress(options_.operands[0]);
        const auto to = readAddress(options_.operands[1]);
        if (!from || !to || *to < *from) {
            return {kUsage,
                    "dump needs FROM and TO from 0 to FFFF (hexadecimal), FROM not above TO"};
        }
        const auto count = static_cast<std::uint32_t>(*to - *from + 1);
        if (coversDumpRoutine(*from, count) && options_.progress != ProgressMode::Quiet) {
            std::fprintf(stderr,
                         "kcsend: %04X to %04X hold the routine that reads the memory, not what "
                         "was there before\n",
                         dumpRoutineFirst(), dumpRoutineLast());
        }
        if (options_.restoreCaos) {
            if (interrupted()) {
                return interruptedOutcome("nothing asked of the KC");
            }
            const SendReport restored =
                restoreCommandState(link_, pacer_, options_.port, options_.pacing.afterLineEnd);
            if (restored.error) {
                return afterSending(restored, "the command state was not restored; nothing read");
            }
        }
        if (interrupted()) {
            return interruptedOutcome("nothing asked of the KC");
        }
        startProgress(path, "bytes", planDump(count));
        const MemoryDump dump = dumpMemory(link_, pacer_, options_.port, *from, count, &progress_);
        progress_.finish();
        if (Outcome outcome = afterHearing(dump.report, "nothing written"); outcome.status != 0) {
            return outcome;
        }
        const std::vector<std::uint8_t> bytes = memoryFile(path, *from, dump.memory);
        if (const auto error = writeWholeFile(path, bytes)) {
            return {kNotSent, error->describe() + "; the memory came whole, but was not written"};
        }
        return {};
    }

    // The outcome of an operation that heard the KC: what it should do when
    // the KC did not answer.
    Outcome afterHearing(const SendReport& report, const std::string& partly) const {
        if (interrupted() || report.stopped) {
            return interruptedOutcome(partly);
        }
        if (report.isError(ErrorKind::NoAnswer)) {
            return {kNotSent, report.error->describe() + "; press RESET on the KC and try again"};
        }
        if (report.isError(ErrorKind::Differs)) {
            return {kNotSent, report.error->describe()};
        }
        if (report.error && !report.isError(ErrorKind::PortNotOpened) &&
            !report.isError(ErrorKind::LineHeld)) {
            return {kNotSent, report.error->describe() + "; " + partly};
        }
        return afterTransfer(report, partly);
    }

    // The file as loaded, or a listing from standard input for "-"; an
    // outcome when neither could be had.
    std::variant<Loaded, Outcome> loadOperand(const std::string& path) const {
        if (path != "-") {
            Loaded loaded = loadFile(path);
            if (const auto* error = std::get_if<kc::Error>(&loaded)) {
                return Outcome{kNotSent, error->describe()};
            }
            return loaded;
        }
        const auto read = readStandardInput();
        if (std::holds_alternative<std::monostate>(read)) {
            return interruptedOutcome("nothing sent");
        }
        if (const auto* error = std::get_if<kc::Error>(&read)) {
            return Outcome{kNotSent, error->describe()};
        }
        auto listing =
            listingFromBytes(std::get<std::vector<std::uint8_t>>(read), "standard input");
        if (const auto* error = std::get_if<kc::Error>(&listing)) {
            return Outcome{kNotSent, error->describe()};
        }
        return Loaded{std::get<Listing>(std::move(listing))};
    }

    // The BASIC program a file or standard input stands for, or the outcome
    // that says why there is none.
    std::variant<kc::BasicFile, Outcome> programOperand(const std::string& path) const {
        auto loaded = loadOperand(path);
        if (auto* outcome = std::get_if<Outcome>(&loaded)) {
            return *outcome;
        }
        const Loaded& file = std::get<Loaded>(loaded);
        const std::string what = path == "-" ? "standard input" : path;
        auto program = basicProgramOf(file, what);
        if (auto* error = std::get_if<kc::Error>(&program)) {
            if (error->kind == ErrorKind::WrongKind && std::holds_alternative<Image>(file)) {
                return Outcome{kUsage, error->describe() + "; upload it with kcsend upload"};
            }
            return Outcome{kNotSent, error->describe()};
        }
        if (const auto* listing = std::get_if<Listing>(&file)) {
            warnOverlong(what, overlongLines(listing->lines), Overlong::Loaded);
        }
        if (const auto* kept = std::get_if<Program>(&file)) {
            noteArchive(what, kept->filesInArchive);
        }
        return std::get<kc::BasicFile>(std::move(program));
    }

    Outcome basic() {
        const std::string& path = options_.operands[0];
        auto operand = programOperand(path);
        if (auto* outcome = std::get_if<Outcome>(&operand)) {
            return *outcome;
        }
        const kc::BasicFile& file = std::get<kc::BasicFile>(operand);
        const std::size_t size = kc::programImageSize(file.program);
        if (const auto refusal = basicLoadRefusal(size)) {
            return {kNotSent, (path == "-" ? "standard input" : path) + ": " + refusal->describe() +
                                  "; nothing sent"};
        }
        const TransferPlan plan = planBasicLoad(size, file.isProtected);
        if (interrupted()) {
            return interruptedOutcome("nothing sent");
        }
        startProgress(path == "-" ? "standard input" : path, "bytes", plan);
        const SendReport report = loadBasicProgram(link_, pacer_, options_.port, file.program,
                                                   file.isProtected, &progress_);
        progress_.finish();
        return afterTransfer(report, "the KC got " + std::to_string(report.bytesSent) + " of " +
                                         std::to_string(plan.bytes) +
                                         " bytes; press RESET on the KC before the next try");
    }

    Outcome list() const {
        const std::string& path = options_.operands[0];
        auto operand = programOperand(path);
        if (auto* outcome = std::get_if<Outcome>(&operand)) {
            return *outcome;
        }
        const kc::BasicFile& file = std::get<kc::BasicFile>(operand);
        if (file.isProtected && options_.progress != ProgressMode::Quiet) {
            std::fprintf(stderr, "kcsend: %s was saved protected; on the KC, LIST refuses it\n",
                         path.c_str());
        }
        const bool utf8 = terminalTakesUtf8();
        std::string text;
        for (const std::string& line : kc::listedLines(file.program)) {
            text += utf8 ? kc::latin1ToUtf8(line) : line;
            text += '\n';
        }
        if (std::fwrite(text.data(), 1, text.size(), stdout) != text.size() ||
            std::fflush(stdout) != 0) {
            return {kNotSent, kc::systemError("standard output", errno).describe()};
        }
        return {};
    }

    // Latin-1 goes out as it is only where the locale asks for it; UTF-8
    // everywhere else.
    static bool terminalTakesUtf8() {
        std::setlocale(LC_CTYPE, "");
        const std::string codeset = ::nl_langinfo(CODESET);
        return codeset != "ISO-8859-1" && codeset != "ISO-8859-15";
    }

    // One line on standard error when a tape archive held more than the file
    // taken from it.
    void noteArchive(const std::string& what, int files) const {
        if (files > 1 && options_.progress != ProgressMode::Quiet) {
            std::fprintf(stderr, "kcsend: %s holds %d files; the first is taken\n", what.c_str(),
                         files);
        }
    }

    void startProgress(const std::string& what, const std::string& unit, const TransferPlan& plan) {
        if (showProgress_) {
            progress_.start(what, unit, plan);
        }
    }

    // One line on standard error naming the lines BASIC cuts.
    enum class Overlong { Typed, Loaded };

    void warnOverlong(const std::string& what, const std::vector<int>& lines, Overlong kind) const {
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
        const std::string line =
            what + ": " + (one ? "line " : "lines ") + named + (one ? " is" : " are") +
            " longer than the " + std::to_string(kLongestBasicLine) + " characters BASIC keeps; " +
            (kind == Overlong::Typed ? (one ? "sent as it is" : "sent as they are")
                                     : "loaded as BASIC keeps " + std::string(one ? "it" : "them"));
        std::fprintf(stderr, "kcsend: %s\n", line.c_str());
    }

    // The outcome of a listing or an upload.
    Outcome afterTransfer(const SendReport& report, const std::string& partly) const {
        if (interrupted()) {
            return interruptedOutcome(partly);
        }
        if (report.isError(ErrorKind::PortNotOpened) || report.isError(ErrorKind::DeviceLost)) {
            return afterSending(report, partly);
        }
        if (auto held = gaveUpWaiting(report)) {
            return *held;
        }
        if (report.shortPieces > 0) {
            const int n = report.shortPieces;
            return {kNotSent, std::to_string(n) + (n == 1 ? " piece" : " pieces") +
                                  " of the image did not go out whole (the KC held the line "
                                  "too long); " +
                                  partly};
        }
        return {};
    }

    // The outcome once an operation has returned: a port that did not open
    // sent nothing; a device that failed, a held line given up or a write
    // left short sent part.
    static Outcome afterSending(const SendReport& report, const std::string& partly) {
        if (!report.error) {
            return {};
        }
        if (report.isError(ErrorKind::PortNotOpened)) {
            return {kNotSent, report.error->describe() + "; nothing sent"};
        }
        return {kNotSent, report.error->describe() + "; " + partly};
    }

    // The outcome when the engine gave up waiting for a line the KC held.
    static std::optional<Outcome> gaveUpWaiting(const SendReport& report) {
        if (!report.isError(ErrorKind::LineHeld)) {
            return std::nullopt;
        }
        const std::string reason = report.error->describe();
        return interrupted() ? interruptedOutcome(reason) : Outcome{kNotSent, reason};
    }

    const Options& options_;
    const bool showProgress_;
    ProgressLine progress_;
    SerialLink& link_;
    InterruptPacer pacer_;
};

}  // namespace

Outcome runCommand(const Options& options, SerialLink& link, bool showProgress) {
    return Run(options, link, showProgress).run();
}

}  // namespace morvale::console

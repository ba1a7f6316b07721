#include "virtual_kc.h"

#include <utility>

#include "basic_view.h"
#include "kc85.h"
#include "z80_call.h"

namespace kcsim {

namespace {

// BASIC keeps 73 keys of a line; more than this are never needed to read one.
constexpr std::size_t kKeptKeys = 256;

std::string milliseconds(Clock::duration gap) {
    return std::to_string(std::chrono::duration_cast<std::chrono::milliseconds>(gap).count()) +
           " ms";
}

const std::string kCharacterApart = " < " + milliseconds(kCharacterGap) + " apart";
const std::string kAfterWrap =
    " < " + milliseconds(kWrapGap) + " after a line's " + std::to_string(kWrapColumn) + "th";

// "1 line", "2 lines".
std::string counted(std::uint64_t count, const char* word) {
    return std::to_string(count) + " " + word + (count == 1 ? "" : "s");
}

}  // namespace

VirtualKc::VirtualKc(std::optional<KccSaver> saver) : saver_(std::move(saver)) {
    setReceiveRoutine(memoryWrite_.memory(), kCommandStateRoutine);
}

bool VirtualKc::take(std::uint8_t byte, Clock::time_point at, std::string& out) {
    if (!writingMemory() && !inCommandState(memoryWrite_.memory())) {
        return keyboardKey(byte, at, out);
    }
    const WriteEvent event = memoryWrite_.take(byte);
    switch (event.step) {
        case WriteStep::Outside:
            return outsideCommand(byte, at, out);
        case WriteStep::Escape:
            judge(ByteRole::Escape, at);
            return false;
        case WriteStep::Ignored:
            judge(ByteRole::Character, at);
            discard(kc::kEscape, out);
            discard(byte, out);
            return false;
        case WriteStep::T:
        case WriteStep::U:
            escapeGap_.reset();
            judge(ByteRole::T, at);
            return false;
        case WriteStep::Header:
        case WriteStep::Data:
        case WriteStep::Start:
            judge(ByteRole::Other, at);
            break;
    }
    if (event.uploadStarted) {
        ++tally_.uploads;
        noteWarnings(out);
        screen_.endLine(out);
        const Upload& upload = memoryWrite_.upload();
        out += "[ESC T] address " + kc::hexWord(upload.address) + ", length " +
               kc::hexWord(upload.length) + " (" + std::to_string(upload.length) + " bytes)";
    }
    if (event.intoRom) {
        pace_.countRomByte();
    }
    if (event.uploadEnded) {
        out += " - checksum " + kc::hexWord(memoryWrite_.upload().checksum());
        uploadEnded(out);
    }
    if (event.start) {
        call(*event.start, out);
    }
    return false;
}

bool VirtualKc::keyboardKey(std::uint8_t byte, Clock::time_point at, std::string& out) {
    const bool lineEnd = byte == kc::kEnter;
    judge(lineEnd ? ByteRole::CarriageReturn : ByteRole::Character, at);
    ++(lineEnd ? tally_.lines : tally_.characters);
    if (afterEscapeKey_ && (byte == kc::kMemoryWrite || byte == kc::kStartProgram)) {
        ++state_.escapesAsKeys;
    }
    afterEscapeKey_ = byte == kc::kEscape;
    screen_.draw(byte, out);
    if (!lineEnd) {
        if (typed_.size() < kKeptKeys) {
            typed_ += static_cast<char>(byte);
        } else {
            typed_.back() = static_cast<char>(byte);
        }
        return false;
    }
    noteWarnings(out);
    lineTyped(out);
    return true;
}

void VirtualKc::lineTyped(std::string& out) {
    MemoryWrite::Memory& memory = memoryWrite_.memory();
    const std::vector<std::uint8_t> answer = firmware_.takeLine(typed_, memory, out);
    typed_.clear();
    if (!answer.empty()) {
        ++tally_.listings;
        sent_.insert(sent_.end(), answer.begin(), answer.end());
    }
    if (inCommandState(memory)) {
        out += "  = command state: ESC T and ESC U are taken again\n";
    }
}

bool VirtualKc::outsideCommand(std::uint8_t byte, Clock::time_point at, std::string& out) {
    if (byte != kc::kEnter) {
        judge(ByteRole::Character, at);
        discard(byte, out);
        return false;
    }
    judge(ByteRole::CarriageReturn, at);
    ++tally_.lines;
    screen_.draw(byte, out);
    noteWarnings(out);
    setReceiveRoutine(memoryWrite_.memory(), kKeyboardRoutine);
    afterEscapeKey_ = false;
    out += "  = keyboard mode: every byte is a key now, ESC T and ESC U too\n";
    return true;
}

void VirtualKc::discard(std::uint8_t byte, std::string& out) {
    ++tally_.characters;
    ++state_.discarded;
    screen_.draw(byte, out);
}

void VirtualKc::call(std::uint16_t address, std::string& out) {
    ++tally_.calls;
    noteWarnings(out);
    screen_.endLine(out);
    const Call call = callCode(memoryWrite_.memory(), address);
    out += "[ESC U] address " + kc::hexWord(address) + ": ";
    switch (call.end) {
        case Call::End::Returned:
            out += "returned";
            break;
        case Call::End::IntoRom:
            out += "stopped at " + kc::hexWord(call.at) +
                   " in the ROM, which kcsim lacks (a real KC runs CAOS there)";
            break;
        case Call::End::Unended:
            out += "no return within " + std::to_string(call.tStates) +
                   " T-states, stopped (a real KC hangs until RESET)";
            break;
    }
    if (call.end != Call::End::Returned) {
        ++tally_.unreturned;
    }
    out += ", " + counted(call.sent.size(), "byte") + " sent";
    if (escapeGap_) {
        out += ", U only " + milliseconds(*escapeGap_) + " after ESC";
    }
    escapeGap_.reset();
    out += '\n';
    noted_ = pace_.counts();
    sent_.insert(sent_.end(), call.sent.begin(), call.sent.end());
}

void VirtualKc::judge(ByteRole role, Clock::time_point at) {
    const std::optional<Finding> finding = pace_.take(role, at);
    if (finding && finding->kind == TooSoon::T) {
        escapeGap_ = finding->gap;
    }
    if (finding && finding->kind == TooSoon::Line) {
        lineNeed_ = finding->need;
    }
}

void VirtualKc::uploadEnded(std::string& out) {
    const Upload& upload = memoryWrite_.upload();
    if (escapeGap_) {
        out += ", T only " + milliseconds(*escapeGap_) + " after ESC";
    }
    escapeGap_.reset();
    if (upload.romBytes > 0) {
        out += ", " + counted(upload.romBytes, "byte") + " into ROM";
    }
    if (saver_ && upload.complete()) {
        const auto saved = saver_->save(upload.address, upload.bytes);
        if (const auto* path = std::get_if<std::string>(&saved)) {
            out += ", saved as " + *path;
        } else {
            ++tally_.unsaved;
            out += ", " + std::get<kc::Error>(saved).describe();
        }
    }
    out += '\n';
    noted_ = pace_.counts();
    if (writesBasicEnd(upload)) {
        ++tally_.basicLoads;
        if (!showBasicProgram(memoryWrite_.memory(), out)) {
            ++tally_.basicNoProgram;
        }
    }
}

void VirtualKc::giveUp(std::string& out) {
    const std::size_t arrived = memoryWrite_.upload().bytes.size();
    switch (memoryWrite_.abandon()) {
        case MemoryWrite::Phase::Idle:
            return;
        case MemoryWrite::Phase::AfterEscape:
            discard(kc::kEscape, out);
            return;
        case MemoryWrite::Phase::Header:
            noteWarnings(out);
            screen_.endLine(out);
            out += "[ESC T] ended short in its address and length\n";
            ++tally_.uploads;
            ++tally_.shortUploads;
            escapeGap_.reset();
            return;
        case MemoryWrite::Phase::Start:
            noteWarnings(out);
            screen_.endLine(out);
            out += "[ESC U] ended short in its address\n";
            escapeGap_.reset();
            return;
        case MemoryWrite::Phase::Data:
            out += " - ended short after " + std::to_string(arrived) + " of " +
                   std::to_string(memoryWrite_.upload().length) + " bytes";
            ++tally_.shortUploads;
            uploadEnded(out);
            return;
    }
}

void VirtualKc::reset(std::string& out) {
    giveUp(out);
    noteWarnings(out);
    screen_.endLine(out);
    setReceiveRoutine(memoryWrite_.memory(), kCommandStateRoutine);
    firmware_.reset();
    typed_.clear();
    afterEscapeKey_ = false;
    sent_.clear();
    out += "[RESET] command state, at the CAOS prompt, memory kept\n";
}

std::vector<std::uint8_t> VirtualKc::takeSent() {
    return std::exchange(sent_, {});
}

void VirtualKc::answerDropped(std::size_t bytes, std::string& out) {
    screen_.endLine(out);
    out += "  ! nobody read what the KC sent: " + counted(bytes, "byte") + " dropped\n";
}

void VirtualKc::noteWarnings(std::string& out) {
    const PaceCounts& now = pace_.counts();
    std::string note;
    const auto add = [&](std::uint64_t count, const char* word, const std::string& what) {
        if (count > 0) {
            note += (note.empty() ? "" : ", ") + counted(count, word) + what;
        }
    };
    const auto lineNeed = std::chrono::round<std::chrono::milliseconds>(lineNeed_);
    add(now.lines - noted_.lines, "line", " < " + milliseconds(lineNeed) + " after CR");
    add(now.characters - noted_.characters, "character", kCharacterApart);
    add(now.wraps - noted_.wraps, "character", kAfterWrap);
    noted_ = now;
    std::string notes;
    if (!note.empty()) {
        notes += "  ! too soon: " + note + "\n";
    }
    if (const auto discarded = state_.discarded - stateNoted_.discarded) {
        notes += "  ! command state: " + counted(discarded, "key") +
                 " discarded (a CR first makes the line a keyboard)\n";
    }
    if (const auto escapes = state_.escapesAsKeys - stateNoted_.escapesAsKeys) {
        notes += "  ! keyboard mode: " + std::to_string(escapes) + " ESC T/U" +
                 " taken as keys (RESET gives the command state back)\n";
    }
    stateNoted_ = state_;
    if (!notes.empty()) {
        screen_.endLine(out);
        out += notes;
    }
}

void VirtualKc::finish(std::string& out, std::uint64_t holds) {
    giveUp(out);
    noteWarnings(out);
    screen_.endLine(out);
    const PaceCounts& warnings = pace_.counts();
    out += "kcsim: " + counted(tally_.characters, "character") + ", " +
           counted(tally_.lines, "line") + ", " + counted(tally_.uploads, "upload") + " (" +
           std::to_string(tally_.shortUploads) + " ended short), " +
           counted(tally_.basicLoads, "BASIC load") + " (" + std::to_string(tally_.basicNoProgram) +
           " without a program), " + counted(tally_.listings, "LIST#3 answer") + ", " +
           counted(tally_.calls, "ESC U call") + " (" + std::to_string(tally_.unreturned) +
           " without return), " + counted(holds, "hold") + "\n";
    out +=
        "kcsim: " + counted(warnings.total() + state_.discarded + state_.escapesAsKeys, "warning") +
        ": " + counted(warnings.characters, "character") + kCharacterApart + ", " +
        counted(warnings.lines, "line") + " too soon after CR, " +
        counted(warnings.wraps, "character") + kAfterWrap + ", " +
        std::to_string(warnings.escapes) + " T or U < " + milliseconds(kEscapeGap) +
        " after ESC, " + counted(warnings.romBytes, "byte") + " into ROM, " +
        counted(state_.discarded, "key") + " discarded in the command state, " +
        std::to_string(state_.escapesAsKeys) + " ESC T/U taken as keys\n";
}

}  // namespace kcsim

#include "virtual_kc.h"

#include <cstdio>

#include "basic_view.h"
#include "kc85.h"

namespace kcsim {

namespace {

std::string hex4(unsigned value) {
    char text[8];
    std::snprintf(text, sizeof text, "%04X", value & 0xFFFF);
    return text;
}

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

VirtualKc::VirtualKc(std::optional<KccSaver> saver) : saver_(std::move(saver)) {}

bool VirtualKc::take(std::uint8_t byte, Clock::time_point at, std::string& out) {
    const WriteEvent event = memoryWrite_.take(byte);
    if (event.strayEscape) {
        ++tally_.characters;
        screen_.draw(kc::kEscape, out);
    }
    switch (event.step) {
        case WriteStep::Keystroke:
            keystroke(byte, at, out);
            return byte == kc::kEnter;
        case WriteStep::Escape:
            judge(ByteRole::Escape, at);
            return false;
        case WriteStep::T:
            escapeGap_.reset();
            judge(ByteRole::T, at);
            return false;
        case WriteStep::Header:
        case WriteStep::Data:
            judge(ByteRole::Other, at);
            break;
    }
    if (event.uploadStarted) {
        ++tally_.uploads;
        noteWarnings(out);
        screen_.endLine(out);
        const Upload& upload = memoryWrite_.upload();
        out += "[ESC T] address " + hex4(upload.address) + ", length " + hex4(upload.length) +
               " (" + std::to_string(upload.length) + " bytes)";
    }
    if (event.intoRom) {
        pace_.countRomByte();
    }
    if (event.uploadEnded) {
        out += " - checksum " + hex4(memoryWrite_.upload().checksum());
        uploadEnded(out);
    }
    return false;
}

void VirtualKc::keystroke(std::uint8_t byte, Clock::time_point at, std::string& out) {
    const bool lineEnd = byte == kc::kEnter;
    judge(lineEnd ? ByteRole::CarriageReturn : ByteRole::Character, at);
    ++(lineEnd ? tally_.lines : tally_.characters);
    screen_.draw(byte, out);
    if (lineEnd) {
        noteWarnings(out);
    }
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
        case MemoryWrite::Phase::Keyboard:
            return;
        case MemoryWrite::Phase::AfterEscape:
            ++tally_.characters;
            screen_.draw(kc::kEscape, out);
            return;
        case MemoryWrite::Phase::Header:
            noteWarnings(out);
            screen_.endLine(out);
            out += "[ESC T] ended short in its address and length\n";
            ++tally_.uploads;
            ++tally_.shortUploads;
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
    if (!note.empty()) {
        screen_.endLine(out);
        out += "  ! too soon: " + note + "\n";
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
           " without a program), " + counted(holds, "hold") + "\n";
    out += "kcsim: " + counted(warnings.total(), "warning") + ": " +
           counted(warnings.characters, "character") + kCharacterApart + ", " +
           counted(warnings.lines, "line") + " too soon after CR, " +
           counted(warnings.wraps, "character") + kAfterWrap + ", " +
           std::to_string(warnings.escapes) + " T < " + milliseconds(kEscapeGap) + " after ESC, " +
           counted(warnings.romBytes, "byte") + " into ROM\n";
}

}  // namespace kcsim

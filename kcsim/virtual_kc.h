// The virtual KC: what each byte from the line does, and what the screen
// shows for it.
//
// Keystrokes go to the screen; a memory write becomes one line of its own:
// "[ESC T] address 0300, length 0200 (512 bytes)" when its header is in, then,
// when it ends, " - checksum 5A3C" (the sum of its bytes modulo 65536) or
// " - ended short after 10 of 512 bytes", and where saved, the file's name.
// An upload that wrote BASIC's end pointer is followed by the program BASIC
// then holds (basic_view.h). Pace warnings (pace_watch.h) found in a line of
// keystrokes follow that line as a note of their own, starting with "  ! ".
// The summary counts characters (keystrokes other than carriage returns),
// lines (carriage returns), uploads, BASIC loads and warnings.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "kcc_save.h"
#include "memory_write.h"
#include "pace_watch.h"
#include "screen.h"

namespace kcsim {

struct Tally {
    std::uint64_t characters = 0;
    std::uint64_t lines = 0;
    std::uint64_t uploads = 0;
    std::uint64_t shortUploads = 0;
    std::uint64_t unsaved = 0;         // finished uploads --save could not write
    std::uint64_t basicLoads = 0;      // uploads that wrote BASIC's end pointer
    std::uint64_t basicNoProgram = 0;  // of them, those after which memory held no program
};

class VirtualKc {
  public:
    // With a saver, each finished upload is saved through it.
    explicit VirtualKc(std::optional<KccSaver> saver = std::nullopt);

    // Takes one byte that arrived at `at` and appends what the screen shows
    // for it to out. True when it was a typed carriage return (a busy KC
    // holds the line after one).
    bool take(std::uint8_t byte, Clock::time_point at, std::string& out);
    // Ends a memory write whose bytes stopped coming, showing how far it got.
    // Nothing happens when none is under way.
    void giveUp(std::string& out);
    bool writingMemory() const { return memoryWrite_.phase() != MemoryWrite::Phase::Keyboard; }
    // Ends what is under way and appends the summary, starting on a new line.
    void finish(std::string& out, std::uint64_t holds);

    const Tally& tally() const { return tally_; }
    const PaceCounts& warnings() const { return pace_.counts(); }
    const MemoryWrite::Memory& memory() const { return memoryWrite_.memory(); }

  private:
    void keystroke(std::uint8_t byte, Clock::time_point at, std::string& out);
    void uploadEnded(std::string& out);
    void noteWarnings(std::string& out);
    // Hands the byte to the pace watch, keeping what the notes show.
    void judge(ByteRole role, Clock::time_point at);

    Screen screen_;
    MemoryWrite memoryWrite_;
    PaceWatch pace_;
    PaceCounts noted_;                          // warnings already shown in a note
    std::optional<Clock::duration> escapeGap_;  // the current upload's T came this soon
    Clock::duration lineNeed_{};                // the last line too soon after CR needed this
    std::optional<KccSaver> saver_;
    Tally tally_;
};

}  // namespace kcsim

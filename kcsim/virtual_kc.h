// The virtual KC: what each byte from the line does, and what the screen
// shows for it.
//
// Keystrokes go to the screen; a memory write becomes one line of its own:
// "[ESC T] address 0300, length 0200 (512 bytes)" when its header is in, then,
// when it ends, " - checksum 5A3C" (the sum of its bytes modulo 65536) or
// " - ended short after 10 of 512 bytes", and where saved, the file's name.
// Pace warnings (pace_watch.h) found in a line of keystrokes follow that line
// as a note of their own, starting with "  ! ". The summary counts
// characters (keystrokes other than carriage returns), lines (carriage
// returns), uploads and warnings.
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
    std::uint64_t unsaved = 0;  // finished uploads --save could not write
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

    Screen screen_;
    MemoryWrite memoryWrite_;
    PaceWatch pace_;
    PaceCounts noted_;                          // warnings already shown in a note
    std::optional<Clock::duration> escapeGap_;  // the current upload's T came this soon
    std::optional<KccSaver> saver_;
    Tally tally_;
};

}  // namespace kcsim

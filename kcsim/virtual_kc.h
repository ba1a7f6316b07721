// The virtual KC: what each byte from the line does, what the screen shows
// for it, and what the KC sends back.
//
// The KC starts in CAOS's command state (firmware.h). There a carriage
// return switches the line to the keyboard, ESC T writes memory, ESC U calls
// code (z80_call.h), and every other byte is discarded: it is shown, with a
// warning. A memory write becomes one line of its own:
// "[ESC T] address 0300, length 0200 (512 bytes)" when its header is in, then,
// when it ends, " - checksum 5A3C" (the sum of its bytes modulo 65536) or
// " - ended short after 10 of 512 bytes", and where saved, the file's name.
// An upload that wrote BASIC's end pointer is followed by the program BASIC
// then holds (basic_view.h). An ESC U gets one line: the address, how the
// code ended and the bytes it sent.
//
// In the keyboard mode every byte is a key, ESC T and ESC U too (a warning
// says so), and each line typed goes at its carriage return to CAOS or BASIC
// (firmware.h); a change of where the KC is follows as a line starting with
// "  = ". Pace warnings (pace_watch.h) found in a line of keys follow that
// line as a note of their own, starting with "  ! ". RESET gives the command
// state back at the CAOS prompt, the memory kept. The summary counts
// characters (keystrokes other than carriage returns), lines (carriage
// returns), uploads, BASIC loads, LIST#3 answers, ESC U calls and warnings.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "firmware.h"
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
    std::uint64_t listings = 0;        // LIST#3 answers
    std::uint64_t calls = 0;           // ESC U calls
    std::uint64_t unreturned = 0;      // of them, those whose code did not return
};

// Bytes a real KC took otherwise than as a sender would mean them.
struct StateWarnings {
    std::uint64_t discarded = 0;      // keys in the command state
    std::uint64_t escapesAsKeys = 0;  // ESC T and ESC U in the keyboard mode

    friend bool operator==(const StateWarnings&, const StateWarnings&) = default;
};

class VirtualKc {
  public:
    // With a saver, each finished upload is saved through it.
    explicit VirtualKc(std::optional<KccSaver> saver = std::nullopt);

    // Takes one byte that arrived at `at` and appends what the screen shows
    // for it to out. True when it was a typed carriage return (a busy KC
    // holds the line after one).
    bool take(std::uint8_t byte, Clock::time_point at, std::string& out);
    // Ends an ESC command whose bytes stopped coming, showing how far it got.
    // Nothing happens when none is under way.
    void giveUp(std::string& out);
    bool writingMemory() const { return memoryWrite_.phase() != MemoryWrite::Phase::Idle; }
    // RESET: what is under way ends, and the KC is at the CAOS prompt in its
    // command state, its memory kept.
    void reset(std::string& out);
    // What the KC has sent since the last call, for the line.
    std::vector<std::uint8_t> takeSent();
    // Notes that `bytes` of what the KC sent were dropped unread.
    void answerDropped(std::size_t bytes, std::string& out);
    // Ends what is under way and appends the summary, starting on a new line.
    void finish(std::string& out, std::uint64_t holds);

    const Tally& tally() const { return tally_; }
    const PaceCounts& warnings() const { return pace_.counts(); }
    const StateWarnings& stateWarnings() const { return state_; }
    const MemoryWrite::Memory& memory() const { return memoryWrite_.memory(); }
    Place place() const { return firmware_.place(); }

  private:
    bool keyboardKey(std::uint8_t byte, Clock::time_point at, std::string& out);
    bool outsideCommand(std::uint8_t byte, Clock::time_point at, std::string& out);
    void discard(std::uint8_t byte, std::string& out);
    void lineTyped(std::string& out);
    void call(std::uint16_t address, std::string& out);
    void uploadEnded(std::string& out);
    void noteWarnings(std::string& out);
    // Hands the byte to the pace watch, keeping what the notes show.
    void judge(ByteRole role, Clock::time_point at);

    Screen screen_;
    MemoryWrite memoryWrite_;
    Firmware firmware_;
    std::string typed_;            // the keys of the line being typed
    bool afterEscapeKey_ = false;  // the last key was ESC
    std::vector<std::uint8_t> sent_;
    PaceWatch pace_;
    PaceCounts noted_;  // warnings already shown in a note
    StateWarnings state_;
    StateWarnings stateNoted_;
    std::optional<Clock::duration> escapeGap_;  // the current command's T or U came this soon
    Clock::duration lineNeed_{};                // the last line too soon after CR needed this
    std::optional<KccSaver> saver_;
    Tally tally_;
};

}  // namespace kcsim

// The state the sender's operations share. One instance lives as long as the
// program; every start begins from these defaults.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "hearing.h"
#include "loading.h"
#include "sss.h"
#include "text_pacing.h"

namespace morvale {

// A range of the KC's memory, both ends included.
struct MemoryRange {
    std::uint16_t first = 0;
    std::uint16_t last = 0;
};

struct AppState {
    std::string portName = "COM2";
    std::vector<std::uint8_t> dataBuffer = std::vector<std::uint8_t>(1024);
    std::array<std::uint8_t, 1024> headerBuffer{};
    std::int32_t loadAddress = kDefaultLoadAddress;
    std::int32_t dataLength = 0;               // valid bytes at the start of dataBuffer
    std::optional<std::int32_t> startAddress;  // a KCC or KCB header's, when it gives one
    // The program of the last .sss or .tap file loaded that held one; the
    // markers "SSS" and "TAP" stand for it.
    std::optional<kc::BasicFile> basicProgram;
    // The program at 0401h of the KCB in the buffers, when it holds one; the
    // marker "KCB" then stands for it rather than for an upload. Any image
    // loaded into the buffers replaces it.
    std::optional<kc::BasicFile> kcbProgram;
    TextPacing textPacing;
    bool sending = false;  // a text transfer runs
    // A carriage return went out since the last upload: CAOS has taken the
    // line as its keyboard, and an upload would be typed as keys.
    bool kcTakesKeys = false;
    // "Hochladen prüfen": each complete upload of an image is read back.
    bool checkUploads = false;
    // The range of the last memory fetched, the next one's preset.
    std::optional<MemoryRange> lastDump;
    HearingLimits hearingLimits;
    bool quit = false;
};

}  // namespace morvale

#include "memory_fetch.h"

#include <algorithm>
#include <string>
#include <vector>

#include "file_saving.h"
#include "file_writing.h"
#include "hearing_look.h"
#include "hearing_trouble.h"
#include "hex_number.h"
#include "memory_dump.h"
#include "memory_upload.h"

namespace morvale {

namespace {

constexpr std::string_view kNothingWritten = "Es wurde nichts gespeichert.";
constexpr std::int32_t kPresetLength = 256;

std::string hex(std::uint16_t address) {
    return formatHex(address);
}

std::optional<MemoryRange> askRange(AppState& state, Window& window) {
    const MemoryRange preset = presetRange(state);
    const auto from = window.askText("Adresse", "Von Adresse (Hex):", hex(preset.first));
    if (!from) {
        return std::nullopt;
    }
    const auto to = window.askText("Adresse", "Bis Adresse (Hex):", hex(preset.last));
    if (!to) {
        return std::nullopt;
    }
    const auto first = readAddress(*from);
    const auto last = readAddress(*to);
    if (!first || !last) {
        window.showMessage("Fehler", "Bitte beide Adressen hexadezimal eingeben, von 0 bis FFFF.",
                           MessageIcon::None);
        return std::nullopt;
    }
    if (*last < *first) {
        window.showMessage("Fehler",
                           "Der Bereich ist leer: die Bis-Adresse " + hex(*last) +
                               " liegt vor der Von-Adresse " + hex(*first) + ".",
                           MessageIcon::None);
        return std::nullopt;
    }
    return MemoryRange{*first, *last};
}

void warnIfRoutineInRange(Window& window, const MemoryRange& range) {
    if (coversDumpRoutine(range.first, range.last - range.first + 1u)) {
        window.showMessage("Hinweis",
                           "Der Bereich enth\xE4lt " + hex(dumpRoutineFirst()) + " bis " +
                               hex(dumpRoutineLast()) +
                               ", wo die Leseroutine l\xE4uft: dort stehen in der Datei ihre "
                               "Bytes, nicht was vorher im Speicher des KC stand.",
                           MessageIcon::Exclamation);
    }
}

}  // namespace

MemoryRange presetRange(const AppState& state) {
    if (state.lastDump) {
        return *state.lastDump;
    }
    const std::int32_t first = std::clamp<std::int32_t>(state.loadAddress, 0, 0xFFFF);
    const std::int32_t length = state.dataLength > 0 ? state.dataLength : kPresetLength;
    return {static_cast<std::uint16_t>(first),
            static_cast<std::uint16_t>(std::min<std::int32_t>(first + length - 1, 0xFFFF))};
}

void fetchMemory(AppState& state, Window& window, SerialLink& link,
                 const DiagnosticSink& diagnostics) {
    warnIfKcTakesKeys(state, window, "die Leseroutine");
    const auto range = askRange(state, window);
    if (!range) {
        return;
    }
    state.lastDump = *range;
    warnIfRoutineInRange(window, *range);
    const std::string path = window.chooseSaveFile(kSaveMemoryTitle, kSaveMemoryFilter);
    if (path.empty()) {
        return;
    }
    const std::uint32_t count = range->last - range->first + 1u;
    HearingLook look(window, "Empfange vom KC");
    const MemoryDump dump =
        dumpMemory(link, window, state.portName, range->first, count, &look, state.hearingLimits);
    look.leave();
    if (!dump.report.complete()) {
        showHearingTrouble(window, link, dump.report, diagnostics, {}, kNothingWritten);
        return;
    }
    state.kcTakesKeys = false;  // the routine went back to CAOS's command state
    const std::vector<std::uint8_t> bytes = memoryFile(path, range->first, dump.memory);
    if (saveFile(window, path, bytes)) {
        window.showNotice(kSendButton, "Gespeichert: " + std::to_string(count) + " Bytes");
    }
}

}  // namespace morvale

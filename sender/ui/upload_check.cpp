#include "upload_check.h"

#include <string>

#include "hearing_look.h"
#include "hearing_trouble.h"
#include "hex_number.h"
#include "memory_dump.h"

namespace morvale {

namespace {

// The words for what only a check means.
std::string ownWords(const MemoryCheck& check) {
    if (check.report.isError(kc::ErrorKind::Differs) && check.firstDifference) {
        return "Der Speicher des KC weicht ab Adresse " + formatHex(*check.firstDifference) +
               " vom hochgeladenen Abbild ab.";
    }
    if (check.report.isError(kc::ErrorKind::AddressRefused)) {
        return "Das Abbild l\xE4sst sich nicht pr\xFC"
               "fen: es liegt \xFC"
               "ber " +
               formatHex(dumpRoutineFirst()) + " bis " + formatHex(dumpRoutineLast()) +
               ", wo die Leseroutine laufen m\xFCsste.";
    }
    return {};
}

}  // namespace

void toggleUploadCheck(AppState& state, Window& window) {
    state.checkUploads = !state.checkUploads;
    window.checkKcItem(kCheckUploadsItem, state.checkUploads);
}

void checkUpload(AppState& state, Window& window, SerialLink& link, std::uint16_t address,
                 std::span<const std::uint8_t> image, const DiagnosticSink& diagnostics) {
    HearingLook look(window,
                     "Pr\xFC"
                     "fe");
    const MemoryCheck check =
        checkMemory(link, window, state.portName, address, image, &look, state.hearingLimits);
    look.leave();
    if (check.report.complete()) {
        window.showNotice(kSendButton,
                          "Hochgeladen und gepr\xFC"
                          "ft: der KC h\xE4lt das Abbild.");
        return;
    }
    showHearingTrouble(window, link, check.report, diagnostics, ownWords(check), {});
}

}  // namespace morvale

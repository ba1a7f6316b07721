#include "basic_fetch.h"

#include <string>
#include <variant>
#include <vector>

#include "basic_save.h"
#include "file_saving.h"
#include "file_writing.h"
#include "hearing_look.h"
#include "hearing_trouble.h"

namespace morvale {

namespace {

constexpr std::string_view kNothingWritten = "Es wurde nichts gespeichert.";

std::string countOfLines(std::size_t lines) {
    return std::to_string(lines) + (lines == 1 ? " Zeile" : " Zeilen");
}

// The words for what only a listing's receive means: BASIC was not at its
// prompt, or it fell silent after part of the program.
std::string ownWords(const ListingReceived& received) {
    if (received.report.isError(kc::ErrorKind::NoAnswer)) {
        return "Der KC antwortet nicht. BASIC muss am KC laufen und mit seinem Prompt \">\" auf "
               "eine Eingabe warten; dann bitte noch einmal versuchen.";
    }
    if (received.report.isError(kc::ErrorKind::CutShort)) {
        return "Der KC hat nach " + countOfLines(received.lines.size()) +
               " aufgeh\xF6rt zu senden, vor dem Ende des Programms. Bitte noch einmal "
               "versuchen.";
    }
    return {};
}

}  // namespace

void fetchBasicProgram(AppState& state, Window& window, SerialLink& link,
                       const DiagnosticSink& diagnostics) {
    const std::string path = window.chooseSaveFile(kSaveBasicTitle, kSaveBasicFilter);
    if (path.empty()) {
        return;
    }
    HearingLook look(window, "Empfange vom KC");
    const ListingReceived received =
        receiveBasicListing(link, window, state.portName, path, &look, state.hearingLimits);
    look.leave();
    state.kcTakesKeys = state.kcTakesKeys || received.report.lineEnded;
    if (!received.whole || !received.report.complete()) {
        showHearingTrouble(window, link, received.report, diagnostics, ownWords(received),
                           kNothingWritten);
        return;
    }
    const auto bytes = listingFile(path, received.lines);
    if (const auto* error = std::get_if<kc::Error>(&bytes)) {
        const std::string what = error->line > 0
                                     ? "Zeile " + std::to_string(error->line) + " des Listings"
                                     : "Das Listing";
        window.showMessage("Fehler",
                           what +
                               " l\xE4sst sich nicht als BASIC-Programm speichern; bitte als "
                               "Listing (.bas) speichern.\n" +
                               std::string(kNothingWritten),
                           MessageIcon::None);
        return;
    }
    if (saveFile(window, path, std::get<std::vector<std::uint8_t>>(bytes))) {
        window.showNotice(kSendButton, "Gespeichert: " + countOfLines(received.lines.size()));
    }
}

}  // namespace morvale

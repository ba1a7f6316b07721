#include "hearing_trouble.h"

#include "controls.h"

namespace morvale {

namespace {

constexpr std::string_view kResetAndAgain =
    "Bitte RESET am KC dr\xFC"
    "cken und noch einmal versuchen.";

}  // namespace

std::string hearingTroubleText(const kc::Error& error) {
    switch (error.kind) {
        case kc::ErrorKind::NoAnswer:
            return "Der KC antwortet nicht. " + std::string(kResetAndAgain);
        case kc::ErrorKind::CutShort:
            return "Der KC hat mitten im Senden aufgeh\xF6rt. Bitte noch einmal versuchen.";
        case kc::ErrorKind::BadChecksum:
            return "Die Daten vom KC kamen gest\xF6rt an: ihre Pr\xFC"
                   "fsumme stimmt nicht. Bitte noch einmal versuchen.";
        case kc::ErrorKind::Malformed:
            return "Der KC hat anderes gesendet als erbeten. " + std::string(kResetAndAgain);
        case kc::ErrorKind::PieceShort:
            return "Die Leseroutine kam nicht ganz beim KC an: er hat die Leitung zu lange "
                   "angehalten. " +
                   std::string(kResetAndAgain);
        case kc::ErrorKind::LineHeld:
            return "Der KC hat die Leitung zu lange angehalten (XOFF). " +
                   std::string(kResetAndAgain);
        default:
            break;
    }
    return "Der KC hat nicht wie erwartet geantwortet. " + std::string(kResetAndAgain);
}

void showHearingTrouble(Window& window, const SerialLink& link, const SendReport& report,
                        const DiagnosticSink& diagnostics, std::string_view ownWords,
                        std::string_view consequence) {
    showTrouble(window, link, report, kSendButton, diagnostics);
    if (report.stopped || !report.error || report.isError(kc::ErrorKind::PortNotOpened) ||
        report.isError(kc::ErrorKind::DeviceLost)) {
        return;
    }
    std::string text = ownWords.empty() ? hearingTroubleText(*report.error) : std::string(ownWords);
    if (!consequence.empty()) {
        text += "\n" + std::string(consequence);
    }
    window.showMessage("Fehler", text, MessageIcon::None);
}

}  // namespace morvale

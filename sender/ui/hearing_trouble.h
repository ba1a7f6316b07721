// What the window says when an operation that hears the KC did not end as
// asked. The words are German and decided on the error's kind alone, as
// kcsend decides its English ones: a KC that does not answer is to be
// reset, one that garbled or fell silent asked again.
#pragma once

#include <string>
#include <string_view>

#include "diagnostic_sink.h"
#include "sending.h"
#include "serial_link.h"
#include "window.h"

namespace morvale {

// The words for an error of a receive: what happened and what to do.
std::string hearingTroubleText(const kc::Error& error);

// Shows the trouble of report: a port that did not open as a notice at the
// send button and a held line given up to diagnostics too, as every
// operation of the window does; then, unless it was stopped, the device was
// lost (told while it ran) or the port did not open, a message box "Fehler"
// with ownWords, or when they are empty hearingTroubleText, and the
// consequence ("Es wurde nichts gespeichert.") on a line of its own. Shows
// nothing for a complete report.
void showHearingTrouble(Window& window, const SerialLink& link, const SendReport& report,
                        const DiagnosticSink& diagnostics, std::string_view ownWords,
                        std::string_view consequence);

}  // namespace morvale

// A BASIC program back from the KC: BASIC at its prompt is asked to LIST#3
// it, which sends the listing as text on the line (list_output.h).
//
// On the line: a carriage return (it switches CAOS's command state to its
// keyboard; in BASIC an empty line does nothing), then LIST#3"NAME" and a
// carriage return. BASIC sends at once; the listing is whole when its
// closing 03h comes.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "hearing.h"
#include "pacer.h"
#include "sending.h"
#include "serial_link.h"

namespace morvale {

struct ListingReceived {
    SendReport report;
    // The lines as LIST printed them, Latin-1: all of them when `whole`, else
    // those that came before the KC fell silent or the receive was stopped.
    std::vector<std::string> lines;
    bool whole = false;
};

// Asks BASIC for its program and receives the listing. The name of the file
// at filePath goes into the LIST#3 command (listingName; "PROGRAMM" when none
// is left), which BASIC does not send. Errors in the report: PortNotOpened,
// DeviceLost, LineHeld (the command could not be typed), NoAnswer (nothing
// came: BASIC was not at its prompt), CutShort (the KC fell silent before
// the listing's end, which the lines show). A stop ends it (stopped).
[[nodiscard]] ListingReceived receiveBasicListing(SerialLink& link, Pacer& pacer,
                                                  std::string_view portName,
                                                  std::string_view filePath,
                                                  Progress* progress = nullptr,
                                                  const HearingLimits& limits = {});

// The name LIST#3 is given for the file at path: the capitals and digits of
// its name without folder and extension, at most 8.
std::string listingName(std::string_view path);

}  // namespace morvale

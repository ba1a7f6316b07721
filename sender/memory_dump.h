// Memory back from the KC, and uploads confirmed by reading them back.
//
// CAOS has no command that sends memory, so the sender brings one: the
// routine of memory_sender.h goes by ESC T into the cassette buffer
// (B700h up, in the video memory: no program's memory), ESC U starts it,
// and it sends the piece asked for as a frame with a CRC, then returns to
// CAOS, which stays in its command state: an upload, a start or another
// dump can follow. Like an upload, this needs CAOS's command state (after
// power-on or RESET, an upload, or restoreCommandState at the CAOS prompt);
// a KC in its keyboard mode takes the routine as keys and sends nothing.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string_view>
#include <vector>

#include "hearing.h"
#include "pacer.h"
#include "sending.h"
#include "serial_link.h"
#include "transfer_plan.h"

namespace morvale {

struct MemoryDump {
    SendReport report;
    std::vector<std::uint8_t> memory;  // count bytes from `from` when the report is complete
};

// The addresses the routine overwrites, from and to (inclusive), and whether
// count bytes from `from` (count 0: 65536) cover any of them.
std::uint16_t dumpRoutineFirst();
std::uint16_t dumpRoutineLast();
bool coversDumpRoutine(std::uint16_t from, std::uint32_t count);

// Reads count bytes (1 to 65536) from `from` back from the KC. Errors in the
// report: PortNotOpened, DeviceLost, PieceShort (the routine did not go out
// whole), NoAnswer (nothing came: the KC was not in its command state),
// CutShort (it fell silent before the end), BadChecksum and Malformed (what
// came is not what was asked for). A stop ends it (stopped).
[[nodiscard]] MemoryDump dumpMemory(SerialLink& link, Pacer& pacer, std::string_view portName,
                                    std::uint16_t from, std::uint32_t count,
                                    Progress* progress = nullptr, const HearingLimits& limits = {});

struct MemoryCheck {
    SendReport report;
    // The first address whose byte is not the image's (error Differs).
    std::optional<std::uint16_t> firstDifference;
};

// Reads the image's range back from address and compares. An image that
// covers the routine's own place cannot be read back so (error
// AddressRefused, nothing sent); errors as dumpMemory's, and Differs.
[[nodiscard]] MemoryCheck checkMemory(SerialLink& link, Pacer& pacer, std::string_view portName,
                                      std::uint16_t address, std::span<const std::uint8_t> image,
                                      Progress* progress = nullptr,
                                      const HearingLimits& limits = {});

// What a dump of count bytes puts on the line and receives; bytes counts
// both.
TransferPlan planDump(std::uint32_t count);

}  // namespace morvale

// Uploading an image into the KC's memory, and starting a program there.
//
// On the line: ESC alone, a pause for the KC to stop what it runs, then "T",
// the target address and the length (16 bits each, least significant byte
// first), then the image in pieces of 1024 bytes. "U" and an address in
// place of the "T" start a program.
//
// CAOS takes ESC T and ESC U only in its command state, which it has from
// power-on or a reset until the first carriage return arrives: that switches
// it to its keyboard over V.24, where every byte, ESC included, is a key. No
// byte on the line switches it back; a reset does, and so does writing the
// command state's receive routine (E7 FA) back into the vector at 01E2h,
// which can be typed at the CAOS prompt.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <span>
#include <string_view>

#include "error.h"
#include "kc85.h"
#include "pacer.h"
#include "sending.h"
#include "serial_link.h"
#include "transfer_plan.h"

namespace morvale {

// The KC's ROM starts here; nothing may be written from it on.
using kc::kRomStart;

// Why an image of length bytes cannot go to address: a negative address, one
// in the ROM, or an image that would reach into it (error AddressRefused,
// with the numbers in its words); nothing when it fits.
std::optional<kc::Error> targetRefusal(std::int32_t address, std::int32_t length);

// The six bytes ESC T address length.
std::array<std::uint8_t, kc::kMemoryWriteHeaderSize> uploadHeader(std::int32_t address,
                                                                  std::int32_t length);

// Uploads the image to address. A refused target or a port that does not
// open sends nothing. A stop asked for during the ticks before a piece ends
// the upload there (stopped); the pieces written so far stay written. A
// piece that leaves short is counted and told, and the upload goes on; a
// device that fails ends it (error DeviceLost, told at once).
[[nodiscard]] SendReport sendImage(SerialLink& link, Pacer& pacer, std::string_view portName,
                                   std::int32_t address, std::span<const std::uint8_t> image,
                                   Progress* progress = nullptr);

// Writes one upload on an open line: ESC, the pause, T with address and
// length, then the pieces, counting those that leave short in the report.
// False when a stop asked for before a piece, or a device that failed, ended
// it; the KC then waits for the rest of its bytes. The target is not
// checked here.
bool writeUpload(OperationLine& line, Pacer& pacer, std::int32_t address,
                 std::span<const std::uint8_t> image, Progress* progress, SendReport& report);

// Writes ESC, the pause, then "U" and the address on an open line. False
// when a write failed or left short (error PieceShort, or DeviceLost).
bool writeStart(OperationLine& line, Pacer& pacer, std::uint16_t address, SendReport& report);

// Types MODIFY 1E2 and E7 FA., which gives CAOS its command state back; only
// at the CAOS prompt (in BASIC or a program the KC takes them as anything
// else). The report of the first line that did not go out whole, else of
// both.
[[nodiscard]] SendReport restoreCommandState(SerialLink& link, Pacer& pacer,
                                             std::string_view portName, int pauseAfterLine);

// Starts the program at address: ESC, the pause, then "U" and the address.
// An address outside 0 to FFFF (error AddressRefused) or a port that does
// not open sends nothing; a write that leaves short is error PieceShort.
[[nodiscard]] SendReport startProgram(SerialLink& link, Pacer& pacer, std::string_view portName,
                                      std::int32_t address);

// The bytes and pauses an upload of dataLength bytes puts on the line when
// it runs to its end.
TransferPlan planUpload(std::int32_t dataLength);

}  // namespace morvale

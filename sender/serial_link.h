// The sender's only path to the KC: a serial port that is opened for one
// operation, written synchronously and closed again. An operation that hears
// the KC (a listing BASIC sends, memory a routine sends back) reads it with a
// deadline, on a line opened without XON/XOFF: the KC never sends them, and
// with them the kernel would swallow those bytes of its data. Otherwise
// nothing is read but the KC's XOFF and XON, which the link or the driver
// obeys.
#pragma once

#include <chrono>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>

#include "error.h"

namespace morvale {

struct LineSettings {
    std::int32_t baud = 1200;
    std::int32_t parity = 0;  // 0 none, 1 odd, 2 even, 3 mark, 4 space
    std::int32_t dataBits = 8;
    float stopBits = 1.0f;
    std::int32_t handshake = 3;  // 0 none/RTS off, 1 none/RTS on, 2 RTS/CTS, 3 XON/XOFF
    std::int32_t inputBufferSize = 512;
    std::int32_t outputBufferSize = 512;
};

// The line every operation of the sender uses, with its buffer sizes.
inline constexpr LineSettings kKeyboardLine{};
inline constexpr LineSettings kUploadLine{1200, 0, 8, 1.0f, 3, 1024, 1024};
// The line of an operation that reads what the KC sends: no flow control
// either way, so that 11h and 13h arrive as data.
inline constexpr LineSettings kHearingLine{1200, 0, 8, 1.0f, 1, 1024, 1024};

// The line time of one character: start bit, data bits, parity bit, stop bits.
std::chrono::nanoseconds characterTime(const LineSettings& settings);

struct [[nodiscard]] WriteResult {
    std::int32_t written = 0;  // bytes that left the computer
    bool failed = false;       // the device reported an error (gone, EIO); not a time-out
};

struct [[nodiscard]] ReadResult {
    std::int32_t received = 0;  // bytes put at the start of the buffer
    bool failed = false;        // the device reported an error or hung up; not a deadline
};

class SerialLink {
  public:
    virtual ~SerialLink() = default;

    // Opens the port by name ("COM1" .. "COM4") and sets the line. On
    // success a port open before is closed; on failure it stays open.
    [[nodiscard]] virtual bool open(std::string_view portName, const LineSettings& settings) = 0;
    // Writes the bytes and returns when they have left, or when the write
    // time-out (100 ms per byte plus 10 ms) has run out, with the count sent
    // by then. Nothing is sent, and 0 returned, when no port is open.
    virtual WriteResult writeBytes(std::span<const std::uint8_t> bytes) = 0;
    // Waits until a byte has arrived or deadline has passed, then takes what
    // has arrived, up to into.size() bytes; 0 at the deadline. A deadline in
    // the past takes only what is there. Bytes that arrived since the port
    // was opened are kept for it, none from before. Nothing is read, and 0
    // returned, when no port is open; a link that cannot read returns 0.
    virtual ReadResult readBytes(std::span<std::uint8_t> /*into*/,
                                 std::chrono::steady_clock::time_point /*deadline*/) {
        return {};
    }
    // Closes the port; does nothing when none is open.
    virtual void close() = 0;
    virtual bool isOpen() const = 0;
    // Why the last open failed, as a German Latin-1 text for the user (in
    // which 0x96 is a dash); empty when it did not fail or the link cannot
    // tell.
    virtual std::string openFailure() const { return {}; }
    // Why the last open (kind PortNotOpened), or the last failed write or
    // read of an open port (kind DeviceLost), failed, with English words;
    // nothing when none has failed or the link cannot tell.
    virtual std::optional<kc::Error> lastFailure() const { return std::nullopt; }

    // Writes a text's bytes up to (not including) its first zero byte.
    WriteResult writeText(std::string_view latin1);
};

}  // namespace morvale

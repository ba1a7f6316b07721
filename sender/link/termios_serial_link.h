// The serial link on a Linux terminal device.
//
// Open: the port name is mapped to a device (port_device.h), which is opened
// read-write without becoming the controlling terminal and without blocking
// on carrier; nothing is created. The port is held exclusively by an flock
// (which stops every other opener, root included) and TIOCEXCL. Then the line
// is set from scratch (line_setup.h). Only a port that is fully set up takes
// the place of the one open before.
//
// Who honours an XOFF on a line with XON/XOFF (handshake 3) is chosen at open
// (flow_control.h). Where the kernel cannot, IXON is turned off (IXOFF stays)
// and the link keeps the flow itself: before each piece it hands the driver,
// and while it waits for the driver to drain, it reads what the KC has sent
// without blocking. DC3 (0x13) holds further writes, DC1 (0x11) releases
// them; every other byte is kept for the next read, as the kernel keeps it
// where it honours the XOFF (the line's rate bounds how much). Since such an
// adapter's queue may hide its chip's buffer, what is in flight is then also
// reckoned by line time, and a write waits out the line time of its bytes
// before it returns. The hold lasts across the writes of one open port; a new
// open starts released. The first open that takes over says so in one
// diagnostic line naming the driver. Every open drops input left over from
// before, so that what is read was sent to this operation.
//
// Read: waits in poll until a byte has arrived or the deadline (monotonic
// clock) has passed, then takes what is there. On a line with XON/XOFF a read
// sees the KC's data without its DC1 and DC3, whoever keeps the flow, and a
// DC3 among it holds the next write. So an operation that hears the KC, whose
// data may hold 11h and 13h, opens the line as kHearingLine (handshake 1), on
// which nothing is read during a write and every byte is data. A device that
// hangs up (POLLHUP, POLLERR, EIO, or a read of 0) has failed, as for a write.
//
// Write: synchronous. A write returns once its bytes have left the computer,
// that is once the transmitter is empty, or when the write time-out of 100 ms
// per byte plus 10 ms (monotonic clock) has run out; a hold keeps that clock
// running. It goes in two stages. First the bytes are handed to the driver a
// share at a time, topped up as the share drains (in_flight.h). Then, once
// the queue is empty and the last byte can have gone out, the drain wait: the
// line status (TIOCSERGETLSR) is asked every quarter millisecond until the
// transmitter is empty, since the kernel's own wait (tcdrain) looks only on
// its timer tick and comes back up to a few milliseconds late. A driver that
// does not answer the line status, or does not show the transmitter empty at
// open, gets tcdrain, bounded by a timer signal to the link's thread
// (deadline_timer.h). At the time-out what is still queued is discarded and
// the count actually sent returned.
//
// Failures are results, never exceptions. Each failed open, and the first
// failed write or read of each open port, is reported as one line to a
// diagnostic sink (standard error unless another is given); why an open
// failed is also kept, in German, for the window to show (openFailure()).
//
// Not thread-safe: one thread opens, writes, reads and closes.
#pragma once

#include <chrono>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "deadline_timer.h"
#include "diagnostic_sink.h"
#include "flow_control.h"
#include "line_setup.h"
#include "port_device.h"
#include "port_messages.h"

#include "serial_link.h"

namespace morvale {

class TermiosSerialLink final : public SerialLink {
  public:
    // With no sink, diagnostics go to standard error. The serial devices and
    // their drivers are looked up under sysfsRoot.
    explicit TermiosSerialLink(DiagnosticSink diagnostics = {}, std::string sysfsRoot = "/sys");
    // Closes a port that is still open.
    ~TermiosSerialLink() override;
    TermiosSerialLink(const TermiosSerialLink&) = delete;
    TermiosSerialLink& operator=(const TermiosSerialLink&) = delete;

    // Opens and sets up the port. False, with one diagnostic line, when the
    // name stands for no device, the device is missing, not a terminal,
    // refused or in use, or the line settings cannot be read or set; then
    // nothing new is open and a port open before stays open and unchanged.
    [[nodiscard]] bool open(std::string_view portName, const LineSettings& settings) override;
    // Writes synchronously (see above). written counts the bytes that left;
    // fewer than asked after a time-out. failed is set when the device
    // reported an error (it is gone, EIO); written then counts what the
    // driver took before it. Nothing happens, and 0 is returned, when no port
    // is open or the block is empty.
    [[nodiscard]] WriteResult writeBytes(std::span<const std::uint8_t> bytes) override;
    // Reads what has arrived (see above), waiting for it until deadline.
    // received counts the bytes put into `into`; 0 at the deadline. failed is
    // set, with nothing received, when the device has failed or hung up; it
    // is kept in lastFailure() as kind DeviceLost. Nothing happens, and 0 is
    // returned at once, when no port is open or `into` is empty.
    [[nodiscard]] ReadResult readBytes(std::span<std::uint8_t> into,
                                       std::chrono::steady_clock::time_point deadline) override;
    // Releases the exclusive hold and closes the device; does nothing when no
    // port is open. Cannot fail.
    void close() override;
    bool isOpen() const override { return fd_ >= 0; }
    std::string openFailure() const override { return openFailure_; }
    std::optional<kc::Error> lastFailure() const override { return lastFailure_; }

  private:
    void report(const std::string& line) const;
    void reportOpenFailure(const PortDevice& device, int error);
    static void release(int fd);
    // Reads what the KC sent during a write, follows its DC3 and DC1 and
    // keeps the rest for the next read. 0, or the errno value when the device
    // has failed.
    int readFlowBytes();
    // Follows the DC3 and DC1 among bytes read, moves the others to the front
    // and returns their count.
    std::size_t followFlow(std::span<std::uint8_t> bytes);
    // Moves what readFlowBytes kept into `into`; returns the count.
    std::size_t takeHeard(std::span<std::uint8_t> into);
    // Reports the first failure of the port and keeps it as lastFailure().
    void lose(Transfer transfer, int error);
    // Waits until when; with the link's own flow control, a byte arriving
    // ends the wait early, and a signal does always. 0, or the errno value
    // when the device has failed.
    int waitUntil(std::int64_t when);

    // The stages of one write. Each turn of the write's loop ends in one of
    // them: nothing when the loop is to go round again, else the write's
    // result.
    struct Write;
    // Hands the driver its next share of bytes, or waits while the KC holds
    // the line or a share is still on its way.
    std::optional<WriteResult> handOver(Write& write, std::int64_t now, int queued);
    // Waits until the last byte has left: its line time, the line status,
    // or tcdrain.
    std::optional<WriteResult> drain(Write& write, std::int64_t now, int queued);
    // Round again after a wait, unless the wait found the device failed.
    std::optional<WriteResult> afterWait(const Write& write, int error);
    // Reports the first failure of the port and gives the write's result.
    WriteResult failed(const Write& write, int error);

    DiagnosticSink diagnostics_;
    std::string sysfsRoot_;
    int fd_ = -1;  // the port slot
    PortDevice device_;
    std::int64_t characterNs_ = 0;
    bool failureReported_ = false;
    std::string openFailure_;  // for the window, from the last open that failed
    std::optional<kc::Error> lastFailure_;
    bool linkKeepsFlow_ = false;
    bool held_ = false;                // the last flow-control byte was DC3
    std::vector<std::uint8_t> heard_;  // the KC's data read during writes, for the next read
    bool takeOverReported_ = false;
    enum class LineStatus { Answers, Silent } lineStatus_ = LineStatus::Silent;  // TIOCSERGETLSR
    std::unique_ptr<DeadlineTimer> drainTimer_;  // bounds tcdrain; made at its first use
};

}  // namespace morvale

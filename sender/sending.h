// What an operation on the line tells its front-end: while it runs, through
// a narrow observer (the plan once the port is open, each write, each piece
// of an upload, trouble the user must hear of at once); when it has ended,
// as a report.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>

#include "error.h"
#include "pacer.h"
#include "serial_link.h"
#include "transfer_plan.h"

namespace morvale {

struct SendReport {
    std::int64_t bytesSent = 0;
    std::int64_t bytesReceived = 0;  // what the KC sent back, where an operation hears it
    bool stopped = false;            // a stop that was asked for ended it early
    bool lineEnded = false;  // a carriage return went out: CAOS now takes the line as its keyboard
    int shortPieces = 0;     // pieces of an upload that did not leave whole; it went on
    // Why it ended before its end: the port did not open, the device was
    // lost, a held line was given up, the address was refused. A closing
    // line end given up after a stop sets it too.
    std::optional<kc::Error> error;

    bool isError(kc::ErrorKind kind) const { return error && error->kind == kind; }
    bool complete() const { return !stopped && !error && shortPieces == 0; }
};

// An upload's pieces: one when the image fits into one, else blocks of 1024
// bytes and the rest.
struct UploadPiece {
    enum class Kind { Whole, Block, Rest };
    Kind kind = Kind::Whole;
    int number = 0;  // of the blocks, from 1
    int blocks = 0;
};

// The steps of a BASIC program's load (basic_load.h).
enum class BasicLoadStep {
    PreparingBasic,  // typing BASIC's start and the command state's return
    Program,         // the program's upload
    Pointers,        // the uploads of BASIC's end pointers (and its protection)
    Returning,       // the line end that hands BASIC the keyboard again
};

class Progress {
  public:
    virtual ~Progress() = default;

    // The port is open and nothing has gone out yet.
    virtual void planned(const TransferPlan& /*plan*/) {}
    // A write of bytes begins; its end reports how many left.
    virtual void writing(std::int64_t /*bytes*/) {}
    virtual void wrote(std::int64_t /*written*/) {}
    // An upload's piece is next; its pause comes first.
    virtual void pieceStarted(const UploadPiece& /*piece*/) {}
    // A piece did not leave whole (the KC held the line too long); the
    // upload goes on.
    virtual void pieceShort() {}
    // Bytes from the KC have come in; total counts all so far.
    virtual void received(std::int64_t /*total*/) {}
    // A BASIC program's load goes on to its next step.
    virtual void basicLoadStep(BasicLoadStep /*step*/) {}
    // The device failed; the operation ends.
    virtual void deviceLost(const kc::Error& /*error*/) {}
};

// One operation's port: opens it, counts and tells what is written, and
// closes it when the operation ends.
class OperationLine {
  public:
    OperationLine(SerialLink& link, std::string_view portName, Progress* progress,
                  SendReport& report);
    ~OperationLine();
    OperationLine(const OperationLine&) = delete;
    OperationLine& operator=(const OperationLine&) = delete;

    // False, with the report's error set, when the port does not open.
    [[nodiscard]] bool open(const LineSettings& settings);
    // Writes and counts the bytes; a write that fails sets the report's
    // error (DeviceLost) and tells the observer.
    WriteResult write(std::span<const std::uint8_t> bytes);
    // Reads what has come by deadline and counts it; a read that fails sets
    // the report's error (DeviceLost) and tells the observer.
    ReadResult read(std::span<std::uint8_t> into, Clock::time_point deadline);
    const std::string& portName() const { return portName_; }

  private:
    void lose();

    SerialLink& link_;
    std::string portName_;
    Progress* progress_;
    SendReport& report_;
    bool opened_ = false;
};

}  // namespace morvale

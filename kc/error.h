// Why something did not happen, as a value: every program of the project
// (the sender, kcsend, kccstrip, kcsim) carries its failures in this one type
// to the one place that tells the user, which words it in its own language.
//
// The kind says what went wrong in terms a front-end can decide on (an exit
// status, which message box); error is the errno value where a system call
// failed; subject is the file or port concerned; detail is the reason in
// English words where errno does not say it, for front-ends that show
// English text.
#pragma once

#include <string>

namespace kc {

enum class ErrorKind {
    Usage,           // the caller asked for something that cannot be asked
    System,          // a system call failed; error says why
    NoSuchFile,      // the file is not there
    IsDirectory,     // a folder where a file was wanted
    NotRegularFile,  // a device, FIFO or the like where a file was wanted
    EmptyFile,       // the file holds no bytes
    TooShort,        // shorter than its format needs
    TooLong,         // longer than the KC or the program takes
    WrongKind,       // a file of another kind than the operation takes
    Exists,          // something is in the way that must not be replaced
    PortNotOpened,   // the serial port did not open
    DeviceLost,      // the serial device reported an error while writing
    LineHeld,        // the KC held the line (XOFF) longer than the wait allows
    PieceShort,      // a piece of an upload did not leave whole
    AddressRefused,  // the target address is none the KC can take
    NoStartAddress,  // a program to start has no start address
    Malformed,       // a file or listing breaks the rules of its kind; detail says where
    NoAnswer,        // the KC sent nothing where it should have answered
    CutShort,        // the KC fell silent before the end of what it sends
    BadChecksum,     // what the KC sent does not agree with its checksum
    Differs,         // the KC's memory is not what was uploaded
};

struct Error {
    ErrorKind kind = ErrorKind::System;
    int error = 0;        // errno, where a system call failed; else 0
    std::string subject;  // the path or port concerned; may be empty
    std::string detail;   // the reason in English words; may be empty
    int line = 0;         // the line of a text concerned, from 1; 0 when none

    // "subject: reason", the reason being detail or else strerror(error);
    // either part is left out, with its separator, when it is empty.
    std::string describe() const;
};

// The error of a system call on subject that set errno to error.
Error systemError(std::string subject, int error);

}  // namespace kc

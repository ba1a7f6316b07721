// The pseudo-terminal the virtual KC sits behind.
//
// The sender opens the slave (devicePath()) as its serial port; kcsim reads
// what it writes from the master and writes XON/XOFF and the KC's answers
// back into it. kcsim keeps a slave descriptor of its own open for its whole
// life, and never reads it: without it, reads on the master fail with EIO
// whenever the sender has closed its port between two operations. The line starts as the KC's
// channel 2 has it, 1200 baud 8N1 and raw, with no flow control; whether the sender obeys XON/XOFF
// is for the sender to set on its own descriptor.
#pragma once

#include <string>

#include "file_descriptor.h"
#include "result.h"

namespace kcsim {

class PtyOwner {
  public:
    // Opens the pair, both ends non-blocking, and sets the line. A failure
    // names the step that failed; nothing stays open then.
    [[nodiscard]] static Result<PtyOwner> open();

    int master() const { return master_.get(); }
    const std::string& devicePath() const { return devicePath_; }

  private:
    PtyOwner(posix_io::FileDescriptor master, posix_io::FileDescriptor slave, std::string path)
        : master_(std::move(master)), slave_(std::move(slave)), devicePath_(std::move(path)) {}

    posix_io::FileDescriptor master_;
    posix_io::FileDescriptor slave_;  // kept open, never read
    std::string devicePath_;
};

}  // namespace kcsim

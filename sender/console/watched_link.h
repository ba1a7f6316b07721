// A serial link that passes everything on to the real one and keeps count:
// bytes that left, a port that did not open, a device that failed; and it
// tells the progress line about each write.
#pragma once

#include <cstdint>
#include <string>

#include "progress_line.h"
#include "serial_link.h"

namespace morvale::console {

class WatchedLink final : public SerialLink {
  public:
    WatchedLink(SerialLink& link, ProgressLine& progress) : link_(link), progress_(progress) {}

    [[nodiscard]] bool open(std::string_view portName, const LineSettings& settings) override;
    WriteResult writeBytes(std::span<const std::uint8_t> bytes) override;
    void close() override { link_.close(); }
    bool isOpen() const override { return link_.isOpen(); }
    std::string openFailure() const override { return link_.openFailure(); }

    std::int64_t written() const { return written_; }
    bool openFailed() const { return openFailed_; }
    bool writeFailed() const { return writeFailed_; }

  private:
    SerialLink& link_;
    ProgressLine& progress_;
    std::int64_t written_ = 0;
    bool openFailed_ = false;
    bool writeFailed_ = false;
};

}  // namespace morvale::console

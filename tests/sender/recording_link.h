// A serial link double that records opens, writes and closes in the
// transcript and answers each write as the test scripts it.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "serial_link.h"
#include "transcript.h"

namespace morvale::testing {

class RecordingLink final : public SerialLink {
  public:
    explicit RecordingLink(Transcript& transcript) : transcript_(transcript) {}

    bool openSucceeds = true;
    std::string failureText = "COM2 gibt es nicht";  // openFailure() after a failed open
    // Decides each write's result; by default every byte is written.
    std::function<WriteResult(std::span<const std::uint8_t>)> onWrite;

    std::vector<std::uint8_t> sent;  // every byte written while open
    LineSettings lastSettings;

    bool open(std::string_view portName, const LineSettings& settings) override;
    WriteResult writeBytes(std::span<const std::uint8_t> bytes) override;
    void close() override;
    bool isOpen() const override { return open_; }
    std::string openFailure() const override { return openSucceeds ? "" : failureText; }

  private:
    Transcript& transcript_;
    bool open_ = false;
};

}  // namespace morvale::testing

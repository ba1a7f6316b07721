// A serial link double that records opens, writes and closes in the
// transcript, answers each write as the test scripts it, and hands out the
// KC's scripted answer to reads.
#pragma once

#include <deque>
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

    // What the KC sends, handed out to reads while open, up to readPiece
    // bytes a read; a read with nothing left waits until its deadline.
    std::deque<std::uint8_t> answer;
    std::size_t readPiece = 64;

    std::vector<std::uint8_t> sent;  // every byte written while open
    LineSettings lastSettings;

    bool open(std::string_view portName, const LineSettings& settings) override;
    WriteResult writeBytes(std::span<const std::uint8_t> bytes) override;
    ReadResult readBytes(std::span<std::uint8_t> into,
                         std::chrono::steady_clock::time_point deadline) override;
    void close() override;
    bool isOpen() const override { return open_; }
    std::string openFailure() const override { return openSucceeds ? "" : failureText; }

  private:
    Transcript& transcript_;
    bool open_ = false;
};

}  // namespace morvale::testing

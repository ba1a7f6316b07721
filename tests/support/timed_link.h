// A serial link that hands everything to a real one and stamps, with the
// steady clock, when each write was called and when it returned.
//
// Pauses are checked here, where they are made. Load can only lengthen the
// time from one write's return to the next write's call, so "at least the
// pause" holds on any machine; a far end's reader, woken late by a busy
// kernel, would stamp two bytes closer together than they were written.
#pragma once

#include <chrono>
#include <cstdint>
#include <functional>
#include <thread>
#include <vector>

#include "serial_link.h"

namespace morvale::testing {

class TimedLink final : public SerialLink {
  public:
    using Clock = std::chrono::steady_clock;
    struct Write {
        Clock::time_point called, returned;
        std::vector<std::uint8_t> bytes;
    };

    explicit TimedLink(SerialLink& link) : link_(link) {}

    // Added to every write, as a real line at 1200 baud takes about 8.3 ms
    // for a byte where a pseudo-terminal takes none.
    std::chrono::milliseconds lineTime{0};
    // Runs inside each write before it is handed on.
    std::function<void()> duringWrite;
    std::vector<Write> writes;

    bool open(std::string_view portName, const LineSettings& settings) override {
        return link_.open(portName, settings);
    }
    WriteResult writeBytes(std::span<const std::uint8_t> bytes) override {
        Write write{Clock::now(), {}, {bytes.begin(), bytes.end()}};
        if (duringWrite) {
            duringWrite();
        }
        const WriteResult result = link_.writeBytes(bytes);
        std::this_thread::sleep_for(lineTime);
        write.returned = Clock::now();
        writes.push_back(std::move(write));
        return result;
    }
    void close() override { link_.close(); }
    bool isOpen() const override { return link_.isOpen(); }

    // Milliseconds from write i's return to write i + 1's call.
    double pauseAfter(std::size_t i) const {
        return std::chrono::duration<double, std::milli>(writes.at(i + 1).called -
                                                         writes.at(i).returned)
            .count();
    }

  private:
    SerialLink& link_;
};

}  // namespace morvale::testing

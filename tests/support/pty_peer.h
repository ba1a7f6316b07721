// A pseudo-terminal pair that stands in for the KC at the far end of the line.
//
// The program under test opens the slave (devicePath()) as its serial port;
// the peer holds the master. A reader thread collects the bytes as they
// arrive, for tests to check them and their order; not their times, which a
// reader woken late by a busy kernel gets wrong. The thread sleeps in poll()
// on the master and on an eventfd that the destructor signals; nothing is
// lost and nothing spins.
//
// The peer keeps its own slave descriptor open for its whole life: without it
// reads on the master fail with EIO whenever the program has closed its port
// between two operations. The slave keeps the kernel's default settings until
// the program sets its own, so a test sees whether the program really sets
// every flag it needs.
//
// All members may be called from any thread.
#pragma once

#include <chrono>
#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <mutex>
#include <span>
#include <string>
#include <thread>
#include <vector>

namespace morvale::testing {

class PtyPeer {
  public:
    // Opens the pair and starts the reader; aborts the test program when no
    // pseudo-terminal can be had, since no line test could run without one.
    PtyPeer();
    ~PtyPeer();
    PtyPeer(const PtyPeer&) = delete;
    PtyPeer& operator=(const PtyPeer&) = delete;

    // The slave's path, for the program to open as its port.
    const std::string& devicePath() const { return devicePath_; }

    // Bytes the KC sends to the computer. They are meant to be few: apart
    // from XON and XOFF, which the line consumes, they pile up unread in the
    // slave's input, and the kernel stops taking them at about 4 KB.
    void send(std::span<const std::uint8_t> bytes);
    // Sends 0x13 and returns once the slave's output has stopped (the kernel
    // applies it a moment after the byte arrives), or after 500 ms when the
    // line does not obey XOFF because flow control is off.
    void sendXoff();
    // Sends 0x11 and returns once the slave's output runs again, or after
    // 500 ms.
    void sendXon();

    // Everything read so far, in order of arrival.
    std::vector<std::uint8_t> receivedBytes() const;
    // True as soon as at least count bytes have arrived in all; false when
    // the time-out runs out first.
    bool waitForBytes(std::size_t count, std::chrono::milliseconds timeout) const;
    // Forgets what was received so far.
    void clear();
    // The KC's end is unplugged: the master closes, and the program's writes
    // to the slave fail from now on. What arrived before stays readable
    // through received().
    void vanish();

  private:
    void readLoop();
    void waitForOutputState(bool writable);

    int master_ = -1;
    int slave_ = -1;
    int wake_ = -1;  // eventfd: tells the reader to end
    std::string devicePath_;
    mutable std::mutex mutex_;
    mutable std::condition_variable arrived_;
    std::vector<std::uint8_t> received_;
    std::thread reader_;
};

}  // namespace morvale::testing

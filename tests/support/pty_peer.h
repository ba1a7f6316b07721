// A pseudo-terminal pair that stands in for the KC at the far end of the line.
//
// The program under test opens the slave (devicePath()) as its serial port;
// the peer holds the master. One thread serves the master. It collects the
// bytes as they arrive, for tests to check them and their order; not their
// times, which a reader woken late by a busy kernel gets wrong. It hands each
// chunk that arrives to the responder, if one is set, and writes what the KC
// sends, the responder's answers and send()'s bytes in the order they were
// queued, in pieces as the slave's input takes them. Since it reads on while
// it writes, a long answer cannot lock it up with a program that writes
// meanwhile. The thread sleeps in poll() on the master and on an eventfd that
// wakes it for bytes to send and for its end; nothing is lost and nothing
// spins.
//
// The peer keeps its own slave descriptor open for its whole life: without it
// reads on the master fail with EIO whenever the program has closed its port
// between two operations. The slave keeps the kernel's default settings until
// the program sets its own, so a test sees whether the program really sets
// every flag it needs; until then the slave echoes what it is sent, and a
// responder would hear that echo.
//
// All members may be called from any thread; the responder must not call the
// peer's send.
#pragma once

#include <chrono>
#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <deque>
#include <functional>
#include <mutex>
#include <span>
#include <string>
#include <thread>
#include <vector>

namespace morvale::testing {

class PtyPeer {
  public:
    // What the KC answers to a chunk of bytes from the computer; may be empty.
    using Responder = std::function<std::vector<std::uint8_t>(std::span<const std::uint8_t>)>;

    // Opens the pair and starts the serving thread; aborts the test program
    // when no pseudo-terminal can be had, since no line test could run
    // without one.
    PtyPeer();
    ~PtyPeer();
    PtyPeer(const PtyPeer&) = delete;
    PtyPeer& operator=(const PtyPeer&) = delete;

    // The slave's path, for the program to open as its port.
    const std::string& devicePath() const { return devicePath_; }

    // Bytes the KC sends to the computer; returns once the line has taken
    // them all. The slave's input takes a few KB that the program does not
    // read (XON and XOFF the line consumes where it obeys them); more goes
    // as the program reads. False when the line took nothing for two seconds
    // (the rest then stays queued) or the peer has vanished.
    bool send(std::span<const std::uint8_t> bytes);
    // From now on each chunk that arrives is answered at once with what the
    // responder returns; an empty responder answers nothing. It is called on
    // the serving thread.
    void setResponder(Responder responder);
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
    // and reads on the slave fail from now on. What arrived before stays
    // readable through receivedBytes(); nothing is sent any more.
    void vanish();

  private:
    using Clock = std::chrono::steady_clock;

    void serve();
    void readChunk();
    void writeQueued();
    void wake();
    void waitForOutputState(bool writable);

    int master_ = -1;
    int slave_ = -1;
    int wake_ = -1;  // eventfd: bytes to send, or the end
    std::string devicePath_;
    mutable std::mutex mutex_;
    mutable std::condition_variable arrived_;
    std::condition_variable taken_;  // the line took queued bytes
    std::vector<std::uint8_t> received_;
    Responder responder_;
    std::deque<std::uint8_t> outbox_;
    std::uint64_t queued_ = 0;  // bytes ever queued to send
    std::uint64_t sent_ = 0;    // bytes ever taken by the line
    Clock::time_point lastTaken_;
    bool ending_ = false;
    bool ended_ = false;
    std::thread server_;
};

}  // namespace morvale::testing

// What a transfer will put on the line, known before it starts, so that a
// front-end can show how far it has come and how long it has left.
#pragma once

#include <chrono>
#include <cstdint>

#include "serial_link.h"

namespace morvale {

struct TransferPlan {
    std::int64_t bytes = 0;                     // bytes written when nothing goes wrong
    std::chrono::milliseconds pauses{0};        // the sum of the pauses between them
    std::chrono::nanoseconds characterTime{0};  // the line time of one byte

    // The shortest time the transfer can take: its pauses and its line time.
    std::chrono::nanoseconds duration() const { return pauses + bytes * characterTime; }
};

}  // namespace morvale

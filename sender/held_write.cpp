#include "held_write.h"

#include "pause.h"

namespace morvale {

HeldWrite writeThroughHold(SerialLink& link, Window& window, char c, const HoldRule& rule) {
    if (c == '\0') {
        return HeldWrite::Sent;
    }
    const Clock::time_point firstTry = Clock::now();
    for (;;) {
        const WriteResult result = link.writeText({&c, 1});
        if (result.failed) {
            return HeldWrite::DeviceFailed;
        }
        if (result.written > 0) {
            return HeldWrite::Sent;
        }
        if (Clock::now() - firstTry >= rule.limit) {
            return HeldWrite::GaveUp;
        }
        Pause pause(window);
        if (pause.tick().isClick(kSendButton) && rule.abortable) {
            return HeldWrite::Aborted;
        }
    }
}

}  // namespace morvale

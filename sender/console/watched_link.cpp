#include "watched_link.h"

namespace morvale::console {

bool WatchedLink::open(std::string_view portName, const LineSettings& settings) {
    const bool opened = link_.open(portName, settings);
    openFailed_ = openFailed_ || !opened;
    return opened;
}

WriteResult WatchedLink::writeBytes(std::span<const std::uint8_t> bytes) {
    progress_.writeStarted(static_cast<std::int64_t>(bytes.size()));
    const WriteResult result = link_.writeBytes(bytes);
    progress_.writeEnded(result.written);
    written_ += result.written;
    writeFailed_ = writeFailed_ || result.failed;
    return result;
}

}  // namespace morvale::console

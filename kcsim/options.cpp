#include "options.h"

#include <charconv>
#include <cmath>
#include <cstdint>
#include <utility>

namespace kcsim {

namespace {

// A whole decimal number from min to max, and nothing else.
std::optional<std::uint64_t> wholeNumber(std::string_view text, std::uint64_t min,
                                         std::uint64_t max) {
    std::uint64_t value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (text.empty() || error != std::errc{} || end != text.data() + text.size() || value < min ||
        value > max) {
        return std::nullopt;
    }
    return value;
}

constexpr std::uint64_t kLongestHoldMs = 3'600'000;

std::optional<std::chrono::milliseconds> holdTime(std::string_view text) {
    const auto ms = wholeNumber(text, 0, kLongestHoldMs);
    if (!ms) {
        return std::nullopt;
    }
    return std::chrono::milliseconds(*ms);
}

// Seconds, fractions allowed ("0.5"), more than zero, at most a day.
std::optional<std::chrono::milliseconds> idleTime(std::string_view text) {
    double seconds = 0;
    const auto [end, error] =
        std::from_chars(text.data(), text.data() + text.size(), seconds, std::chars_format::fixed);
    if (text.empty() || error != std::errc{} || end != text.data() + text.size() ||
        !(seconds > 0) || seconds > 86400) {
        return std::nullopt;
    }
    return std::chrono::milliseconds(std::llround(seconds * 1000));
}

kc::Error usageError(std::string detail) {
    return kc::Error{kc::ErrorKind::Usage, 0, {}, std::move(detail)};
}

std::optional<HoldAt> holdAt(std::string_view text) {
    const std::size_t colon = text.find(':');
    if (colon == std::string_view::npos) {
        return std::nullopt;
    }
    const auto count = wholeNumber(text.substr(0, colon), 1, UINT64_MAX);
    const auto hold = holdTime(text.substr(colon + 1));
    if (!count || !hold) {
        return std::nullopt;
    }
    return HoldAt{*count, *hold};
}

}  // namespace

Result<Options> parseOptions(const std::vector<std::string>& arguments) {
    Options options;
    for (std::size_t i = 0; i < arguments.size(); ++i) {
        std::string name = arguments[i];
        std::optional<std::string> value;
        if (const std::size_t equals = name.find('=');
            name.starts_with("--") && equals != std::string::npos) {
            value = name.substr(equals + 1);
            name.resize(equals);
        }
        if (name == "--help" || name == "-h") {
            options.help = true;
            continue;
        }
        if (name == "--version") {
            options.version = true;
            continue;
        }
        if (name != "--link" && name != "--save" && name != "--dump" && name != "--busy-after-cr" &&
            name != "--xoff-at" && name != "--exit-after-idle") {
            return usageError("unknown option " + arguments[i]);
        }
        if (!value) {
            if (i + 1 == arguments.size()) {
                return usageError(name + " needs a value");
            }
            value = arguments[++i];
        }
        const auto invalid = [&](const char* expected) {
            return usageError(name + " " + *value + ": expected " + expected);
        };
        if (name == "--link") {
            options.link = *value;
        } else if (name == "--save") {
            options.saveDir = *value;
        } else if (name == "--dump") {
            options.dumpFile = *value;
        } else if (name == "--busy-after-cr") {
            options.busyAfterCarriageReturn = holdTime(*value);
            if (!options.busyAfterCarriageReturn) {
                return invalid("milliseconds from 0 to 3600000");
            }
        } else if (name == "--xoff-at") {
            const auto hold = holdAt(*value);
            if (!hold) {
                return invalid("N:MS, a byte count from 1 and milliseconds up to 3600000");
            }
            options.holds.push_back(*hold);
        } else {
            options.exitAfterIdle = idleTime(*value);
            if (!options.exitAfterIdle) {
                return invalid("seconds above 0, at most 86400");
            }
        }
        if (value->empty() && (name == "--link" || name == "--save" || name == "--dump")) {
            return usageError(name + " needs a path");
        }
    }
    return options;
}

std::string usage() {
    return "Usage: kcsim [OPTION]...\n"
           "A virtual KC 85 on a pseudo-terminal: takes what a sender types and\n"
           "uploads as the KC 85/4's CAOS and BASIC do, answers LIST#3 typed in BASIC\n"
           "and runs the code ESC U starts, and warns where a real KC could have missed\n"
           "something. Ends with Ctrl+C and a summary.\n"
           "\n"
           "  --link PATH           also reach the device as PATH (a symbolic link)\n"
           "  --save DIR            save each finished upload as DIR/uploadN.kcc\n"
           "  --dump FILE           write the whole 64 KiB memory to FILE at the end\n"
           "  --busy-after-cr MS    hold the line (XOFF) for MS ms after every line\n"
           "  --xoff-at N:MS        hold the line for MS ms after byte N\n"
           "  --exit-after-idle S   end after S seconds without a byte\n"
           "  --help                show this help and end\n"
           "  --version             show the version and end\n"
           "\n"
           "The KC starts in CAOS's command state, where ESC T and ESC U work; the\n"
           "first carriage return makes the line its keyboard. SIGUSR1 is the RESET\n"
           "key (kill -USR1 PID; kcsim names its PID when it starts): the command\n"
           "state again, at the CAOS prompt, the memory kept.\n"
           "\n"
           "Example: kcsim --link /tmp/kc, then MORVALE_COM2=/tmp/kc morvale\n";
}

}  // namespace kcsim

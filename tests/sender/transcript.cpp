#include "transcript.h"

#include <cstdio>

namespace morvale::testing {

namespace {

std::string hexByte(std::uint8_t b) {
    char text[3];
    std::snprintf(text, sizeof text, "%02X", b);
    return text;
}

bool isLineEntry(const std::string& entry) {
    return entry.starts_with("W ") || entry.starts_with("T");
}

}  // namespace

void Transcript::add(std::string entry) {
    entries_.push_back(std::move(entry));
    lastWasTick_ = false;
}

void Transcript::tick() {
    if (lastWasTick_) {
        entries_.back() = "T" + std::to_string(++tickRun_);
        return;
    }
    tickRun_ = 1;
    entries_.push_back("T1");
    lastWasTick_ = true;
}

void Transcript::write(std::span<const std::uint8_t> bytes) {
    std::string entry = "W ";
    if (bytes.size() == 1) {
        entry += hexByte(bytes[0]);
    } else if (bytes.size() <= 8) {
        entry += "[";
        for (std::size_t i = 0; i < bytes.size(); ++i) {
            entry += (i ? " " : "") + hexByte(bytes[i]);
        }
        entry += "]";
    } else {
        entry += "<" + std::to_string(bytes.size()) + " bytes>";
    }
    add(std::move(entry));
}

std::string Transcript::line() const {
    std::string result;
    for (const auto& entry : entries_) {
        if (isLineEntry(entry)) {
            result += (result.empty() ? "" : " ") + (entry[0] == 'W' ? entry.substr(2) : entry);
        }
    }
    return result;
}

std::vector<std::string> Transcript::matching(std::string_view prefix) const {
    std::vector<std::string> result;
    for (const auto& entry : entries_) {
        if (entry.starts_with(prefix)) {
            result.push_back(entry);
        }
    }
    return result;
}

}  // namespace morvale::testing

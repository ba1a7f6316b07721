// How a target reports that the code and its model disagree: it prints what
// differed and aborts, so that libFuzzer stops and keeps the input.
#pragma once

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <span>
#include <string>
#include <string_view>
#include <type_traits>
#include <vector>

namespace fuzz {

// Bytes as text a log can carry: printable ASCII as it is, others as \xNN.
inline std::string shown(std::string_view bytes) {
    std::string text;
    for (const unsigned char c : bytes) {
        if (c >= 0x20 && c < 0x7F && c != '\\') {
            text += static_cast<char>(c);
        } else {
            char escape[5];
            std::snprintf(escape, sizeof escape, "\\x%02X", c);
            text += escape;
        }
    }
    return text;
}

inline std::string shown(std::span<const std::uint8_t> bytes) {
    return shown(std::string_view(reinterpret_cast<const char*>(bytes.data()), bytes.size()));
}
inline std::string shown(const std::vector<std::uint8_t>& bytes) {
    return shown(std::span(bytes));
}
inline std::string shown(long long value) {
    return std::to_string(value);
}

[[noreturn]] inline void mismatch(const char* what, const std::string& actual,
                                  const std::string& expected) {
    std::fprintf(stderr, "MODEL MISMATCH: %s\n  code:  %s\n  model: %s\n", what, actual.c_str(),
                 expected.c_str());
    std::abort();
}

inline void expectTrue(bool holds, const char* what) {
    if (!holds) {
        mismatch(what, "false", "true");
    }
}

template <typename T, typename U>
void expectEqual(const T& actual, const U& expected, const char* what) {
    if constexpr (std::is_integral_v<T> && std::is_integral_v<U>) {
        // Every count and value here fits a long long.
        const auto code = static_cast<long long>(actual);
        const auto model = static_cast<long long>(expected);
        if (code != model) {
            mismatch(what, shown(code), shown(model));
        }
    } else if (!(actual == expected)) {
        mismatch(what, shown(actual), shown(expected));
    }
}

}  // namespace fuzz

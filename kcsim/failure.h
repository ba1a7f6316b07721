// Failures as values: each carries its message to the one place in main that
// prints it.
#pragma once

#include <string>
#include <variant>

namespace kcsim {

struct Failure {
    std::string text;  // for the user, without the program's name
};

// A value, or why there is none.
template <typename T>
using Result = std::variant<T, Failure>;

// "what: strerror(error)".
Failure failureFromErrno(const std::string& what, int error);

}  // namespace kcsim

// Failures as values: each carries its kc::Error to the one place in main
// that prints it.
#pragma once

#include <variant>

#include "error.h"

namespace kcsim {

// A value, or why there is none.
template <typename T>
using Result = std::variant<T, kc::Error>;

}  // namespace kcsim

// Texts between the terminal and the KC: command-line arguments arrive in
// UTF-8, the KC takes single bytes of Latin-1.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "utf8.h"

namespace morvale::console {

// The Latin-1 bytes of an argument written in UTF-8; an argument that is not
// UTF-8 at all is taken as Latin-1 already. Nothing when it holds a
// character that Latin-1 lacks (a surrogate among them).
[[nodiscard]] std::optional<std::string> latin1FromArgument(std::string_view argument);

// Latin-1 text in UTF-8, for messages.
using kc::latin1ToUtf8;

}  // namespace morvale::console

// Lower-casing of a file name, as the output's name is formed.
//
// The rule is the one for Latin-1 text: A-Z and the capitals from U+00C0 to
// U+00DE become small letters. A name that is valid UTF-8 (what Linux file
// managers and shells write) is lowered by characters, so that it stays valid
// UTF-8; U+00D7, the multiplication sign, is no capital there and stays. Any
// other name is taken as Latin-1 bytes and lowered byte by byte.
#pragma once

#include <string>
#include <string_view>

namespace kccstrip {

// `name` lower-cased as described above; never longer or shorter.
std::string lowerFileName(std::string_view name);

}  // namespace kccstrip

// The path rules: which inputs are KCC files, and where their image goes.
//
// Paths are byte strings: UTF-8 or Latin-1. Only the file name is
// lower-cased and rewritten; the directory part is left exactly as given,
// because on a case-sensitive file system a changed directory name would name
// another directory. Pure functions over strings, without access to the file
// system.
//
// Lower-casing follows the rule for Latin-1 text: A-Z and the capitals from
// U+00C0 to U+00DE become small letters. A name that is valid UTF-8 (what
// Linux file managers and shells write) is lowered by characters, so that it
// stays valid UTF-8; U+00D7, the multiplication sign, is no capital there and
// stays. Any other name is taken as Latin-1 bytes and lowered byte by byte.
#pragma once

#include <string>
#include <string_view>

namespace kccstrip {

// True when the last four bytes of `path`, lower-cased, are ".kcc"; a path
// shorter than four bytes never passes.
bool hasKccExtension(std::string_view path);

// `name` lower-cased as described above; never longer or shorter.
std::string lowerFileName(std::string_view name);

// Everything up to and including the last '/'; empty when there is none.
std::string_view directoryPart(std::string_view path);

// Everything after the last '/'.
std::string_view namePart(std::string_view path);

// The output path for `inputPath`: its directory part unchanged, then its file
// name lower-cased (lowerFileName) with every ".kcc", scanning left to right,
// made ".bin". As long as `inputPath` in bytes.
std::string outputPathFor(std::string_view inputPath);

}  // namespace kccstrip

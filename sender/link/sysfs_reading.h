// Reading sysfs: attributes as text, links by what they point to, folders
// by the names in them.
//
// Every path is given whole, from a sysfs root ("/sys", or a tree a test
// made in a temporary folder), so that what the link finds out about its
// devices can be checked without the devices. Nothing here fails: a missing
// entry reads as empty.
#pragma once

#include <string>
#include <vector>

namespace morvale {

// The last name in the target of the symbolic link at path ("ch341" for a
// driver link); empty when path is no link.
std::string linkedName(const std::string& path);
// The first line of the file at path without trailing white space; empty
// when it cannot be read.
std::string attributeText(const std::string& path);
// path with every link resolved; empty when it does not exist.
std::string resolvedPath(const std::string& path);
// The names in the folder at path, sorted; none when it cannot be read.
std::vector<std::string> folderEntries(const std::string& path);

}  // namespace morvale

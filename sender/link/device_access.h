// Whether this user may open a device, and which group to join if not.
//
// Serial devices belong to a group whose members may use them: 'dialout' on
// Debian, 'uucp' on some other distributions. The advice names the group that
// owns the device, so it fits either.
#pragma once

#include <string>

namespace morvale {

// The group that owns the device at path; 'dialout' when the device cannot
// be examined or belongs to root's group, which no one should be told to join.
std::string deviceGroup(const std::string& path);
// 0 when this user may read and write the device at path, else why not as an
// errno value (EACCES, ENOENT).
int deviceAccess(const std::string& path);

}  // namespace morvale

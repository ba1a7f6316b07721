// The symbolic link that gives the pseudo-terminal a fixed name
// (kcsim --link /tmp/kc, then MORVALE_COM2=/tmp/kc).
//
// Only a dangling symbolic link (left by a kcsim that was killed) is ever
// replaced; an existing file, or a link that still leads somewhere, is
// refused. At the end the link is removed, but only while it still points to
// this kcsim's device, so a link someone else has put there meanwhile stays.
#pragma once

#include <optional>
#include <string>

#include "result.h"

namespace kcsim {

class DeviceLink {
  public:
    // Makes `path` a symbolic link to `target`. A failure says why; nothing
    // has been created then.
    [[nodiscard]] static Result<DeviceLink> create(const std::string& path,
                                                   const std::string& target);

    ~DeviceLink();
    DeviceLink(DeviceLink&& other) noexcept;
    DeviceLink& operator=(DeviceLink&&) = delete;
    DeviceLink(const DeviceLink&) = delete;
    DeviceLink& operator=(const DeviceLink&) = delete;

    const std::string& path() const { return path_; }

  private:
    DeviceLink(std::string path, std::string target)
        : path_(std::move(path)), target_(std::move(target)) {}

    std::string path_;  // empty once moved from
    std::string target_;
};

}  // namespace kcsim

// Finished uploads saved as KCC files (--save DIR).
//
// Each file is named uploadN.kcc, N counting from 1 on to the first name not
// taken, so nothing already there is ever replaced. Its 128-byte header is
// laid out as the KC writes one (kc::makeKccHeader), named UPLOADN. The image
// follows unchanged, so its bytes from offset 128 on equal those of the file
// that was sent.
#pragma once

#include <cstdint>
#include <span>
#include <string>

#include "kcc_header.h"
#include "result.h"

namespace kcsim {

class KccSaver {
  public:
    explicit KccSaver(std::string directory) : directory_(std::move(directory)) {}

    // Writes the image loaded at `address` as the next free uploadN.kcc and
    // returns its path. Fails, leaving no file behind, when the image reaches
    // past FFFF (a KCC has no end address for it) or the file cannot be
    // written whole.
    [[nodiscard]] Result<std::string> save(std::uint16_t address,
                                           std::span<const std::uint8_t> image);

  private:
    std::string directory_;
    unsigned next_ = 1;
};

// Makes the directory unless it exists already as one.
[[nodiscard]] std::optional<kc::Error> prepareSaveDirectory(const std::string& directory);

}  // namespace kcsim

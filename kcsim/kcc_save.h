// Finished uploads saved as KCC files (--save DIR).
//
// Each file is named uploadN.kcc, N counting from 1 on to the first name not
// taken, so nothing already there is ever replaced. Its 128-byte header is
// laid out as the KC writes one: the name (UPLOADN, in capitals, padded with
// blanks to eight) and type "KCC" in bytes 0 to 10, the count of addresses (2)
// in byte 16, the load address in bytes 17 and 18 and the end address (the
// first address after the image) in bytes 19 and 20, least significant byte
// first; every other byte is zero. The image follows unchanged, so its bytes
// from offset 128 on equal those of the file that was sent.
#pragma once

#include <array>
#include <cstdint>
#include <span>
#include <string>

#include "failure.h"
#include "kcc_header.h"

namespace kcsim {

// The header for an image; the name is taken in capitals, at most eight bytes.
std::array<std::uint8_t, kc::kHeaderSize> kccHeader(const std::string& name,
                                                    const kc::KccHeader& addresses);

class KccSaver {
  public:
    explicit KccSaver(std::string directory) : directory_(std::move(directory)) {}

    // Writes the image loaded at `address` as the next free uploadN.kcc and
    // returns its path. Fails, leaving no file behind, when the image reaches
    // past FFFF (a KCC has no end address for it) or the file cannot be
    // written whole.
    Result<std::string> save(std::uint16_t address, std::span<const std::uint8_t> image);

  private:
    std::string directory_;
    unsigned next_ = 1;
};

// Makes the directory unless it exists already as one.
std::optional<Failure> prepareSaveDirectory(const std::string& directory);

}  // namespace kcsim

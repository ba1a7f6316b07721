#include "loading.h"

#include <algorithm>
#include <cerrno>
#include <cstring>

#include "basic_listing.h"
#include "file_reading.h"
#include "kcb.h"
#include "kcc_blocks.h"
#include "kcc_header.h"
#include "latin1_case.h"
#include "tap.h"
#include "text_lines.h"
#include "utf8.h"

namespace morvale {

namespace {

kc::Error fileError(kc::ErrorKind kind, const std::string& path, std::string why) {
    return {kind, 0, path, std::move(why)};
}

kc::Error readError(const std::string& path, int error) {
    return {kc::ErrorKind::System, error, path,
            std::string("cannot be read: ") + std::strerror(error)};
}

std::string extensionOf(const std::string& path) {
    const std::size_t start = path.size() > 4 ? path.size() - 4 : 0;
    return kc::lowerLatin1(std::string_view(path).substr(start));
}

Loaded loadRawImage(const std::string& path, std::int64_t size) {
    if (size > kLongestImage) {
        return fileError(kc::ErrorKind::TooLong, path,
                         "too long for the KC's memory (over 65,535 bytes)");
    }
    auto bytes = readFileStart(path, static_cast<std::size_t>(size));
    if (!bytes) {
        return readError(path, errno);
    }
    Image image;
    image.announced = static_cast<std::int32_t>(bytes->size());
    image.bytes = std::move(*bytes);
    return image;
}

// An image from a container's bytes: the header as far as they hold it, the
// image as far as it announces.
Image imageFromContainer(std::span<const std::uint8_t> bytes, ImageKind kind) {
    const std::size_t headerRead = std::min(bytes.size(), kc::kHeaderSize);
    std::vector<std::uint8_t> padded(kc::kHeaderSize);
    std::copy_n(bytes.begin(), headerRead, padded.begin());
    const auto header = kc::readKccHeader(padded);

    Image image;
    image.kind = kind;
    image.header.assign(bytes.begin(), bytes.begin() + static_cast<std::ptrdiff_t>(headerRead));
    image.announced = header->imageLength();
    const auto imageRead =
        std::min(static_cast<std::size_t>(image.announced), bytes.size() - headerRead);
    const auto first = bytes.begin() + static_cast<std::ptrdiff_t>(headerRead);
    image.bytes.assign(first, first + static_cast<std::ptrdiff_t>(imageRead));
    image.loadAddress = header->loadAddress;
    image.startAddress = header->start();
    return image;
}

Loaded loadContainer(const std::string& path, ImageKind kind) {
    // Room for the block numbers and checksums of a file that kept them.
    constexpr std::size_t kMostBytes = (kc::kHeaderSize + kLongestImage) / 128 * 130 + 260;
    auto bytes = readFileStart(path, kMostBytes);
    if (!bytes) {
        return readError(path, errno);
    }
    if (auto numbered = kc::kccFromNumberedBlocks(*bytes, path)) {
        if (auto* error = std::get_if<kc::Error>(&*numbered)) {
            return *error;
        }
        *bytes = std::get<std::vector<std::uint8_t>>(std::move(*numbered));
    }
    return imageFromContainer(*bytes, kind);
}

// The whole of a KC file that is not a listing; at most as long as the
// longest image with its header would be on tape.
std::variant<std::vector<std::uint8_t>, kc::Error> readKcFile(const std::string& path) {
    constexpr std::size_t kMostBytes = 16 + (kc::kHeaderSize + kLongestImage) / 128 * 129 * 4;
    auto bytes = readFileStart(path, kMostBytes);
    if (!bytes) {
        return readError(path, errno);
    }
    return std::move(*bytes);
}

Loaded loadSss(const std::string& path) {
    auto bytes = readKcFile(path);
    if (auto* error = std::get_if<kc::Error>(&bytes)) {
        return *error;
    }
    auto file = kc::readSss(std::get<std::vector<std::uint8_t>>(bytes), path);
    if (auto* error = std::get_if<kc::Error>(&file)) {
        return *error;
    }
    return Program{std::get<kc::BasicFile>(std::move(file))};
}

Loaded loadTap(const std::string& path) {
    auto bytes = readKcFile(path);
    if (auto* error = std::get_if<kc::Error>(&bytes)) {
        return *error;
    }
    auto parts = kc::readTap(std::get<std::vector<std::uint8_t>>(bytes), path);
    if (auto* error = std::get_if<kc::Error>(&parts)) {
        return *error;
    }
    auto& contents = std::get<std::vector<kc::TapContent>>(parts);
    const auto files = static_cast<int>(contents.size());
    if (auto* basic = std::get_if<kc::BasicFile>(&contents.front())) {
        return Program{std::move(*basic), files};
    }
    Image image = imageFromContainer(std::get<kc::TapKcc>(contents.front()).bytes, ImageKind::Kcc);
    image.filesInArchive = files;
    return image;
}

}  // namespace

std::variant<Listing, kc::Error> listingFromBytes(std::span<const std::uint8_t> bytes,
                                                  const std::string& subject) {
    if (static_cast<std::int64_t>(bytes.size()) > kLongestText) {
        return fileError(kc::ErrorKind::TooLong, subject,
                         "more than 1 MiB, too long for a listing");
    }
    if (const auto latin1 = kc::latin1FromUtf8(bytes)) {
        return Listing{editorTextFromFile(
            {reinterpret_cast<const std::uint8_t*>(latin1->data()), latin1->size()})};
    }
    return Listing{editorTextFromFile(bytes)};
}

Loaded loadFile(const std::string& path) {
    const std::int64_t size = fileSize(path);
    if (size == kNoSuchFile) {
        return fileError(kc::ErrorKind::NoSuchFile, path, "no such file");
    }
    if (size == kIsDirectory) {
        return fileError(kc::ErrorKind::IsDirectory, path, "is a directory");
    }
    if (size <= 0) {
        return fileError(kc::ErrorKind::EmptyFile, path, "is empty");
    }
    const std::string extension = extensionOf(path);
    if (extension == ".bin") {
        return loadRawImage(path, size);
    }
    if (extension == ".kcc" || extension == ".kcb") {
        return loadContainer(path, extension == ".kcc" ? ImageKind::Kcc : ImageKind::Kcb);
    }
    if (extension == ".sss") {
        return loadSss(path);
    }
    if (extension == ".tap") {
        return loadTap(path);
    }
    if (size > kLongestText) {
        return fileError(kc::ErrorKind::TooLong, path, "more than 1 MiB, too long for a listing");
    }
    // One byte more than allowed tells a file that has grown since its size
    // was asked.
    const auto bytes = readFileStart(path, static_cast<std::size_t>(kLongestText + 1));
    if (!bytes) {
        return readError(path, errno);
    }
    auto listing = listingFromBytes(*bytes, path);
    if (auto* error = std::get_if<kc::Error>(&listing)) {
        return *error;
    }
    return std::get<Listing>(std::move(listing));
}

std::variant<kc::BasicFile, kc::Error> basicProgramOf(const Loaded& loaded,
                                                      const std::string& subject) {
    if (const auto* program = std::get_if<Program>(&loaded)) {
        return program->file;
    }
    if (const auto* listing = std::get_if<Listing>(&loaded)) {
        auto typed = kc::programFromListing(listing->lines, subject);
        if (auto* error = std::get_if<kc::Error>(&typed)) {
            return *error;
        }
        return kc::BasicFile{"", false, std::get<kc::BasicProgram>(std::move(typed))};
    }
    if (const auto* error = std::get_if<kc::Error>(&loaded)) {
        return *error;
    }
    const Image& image = std::get<Image>(loaded);
    if (image.kind == ImageKind::Raw) {
        return kc::Error{kc::ErrorKind::WrongKind, 0, subject,
                         "is a raw memory image, not a BASIC program"};
    }
    std::vector<std::uint8_t> file = image.header;
    file.insert(file.end(), image.bytes.begin(), image.bytes.end());
    return kc::readKcb(file, subject);
}

}  // namespace morvale

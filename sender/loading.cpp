#include "loading.h"

#include <algorithm>
#include <cerrno>
#include <cstring>

#include "file_reading.h"
#include "kcc_header.h"
#include "latin1_case.h"
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

Loaded loadContainer(const std::string& path, ImageKind kind) {
    auto bytes = readFileStart(path, kc::kHeaderSize + kLongestImage);
    if (!bytes) {
        return readError(path, errno);
    }
    const std::size_t headerRead = std::min(bytes->size(), kc::kHeaderSize);
    std::vector<std::uint8_t> padded(kc::kHeaderSize);
    std::copy_n(bytes->begin(), headerRead, padded.begin());
    const auto header = kc::readKccHeader(padded);

    Image image;
    image.kind = kind;
    image.header.assign(bytes->begin(), bytes->begin() + static_cast<std::ptrdiff_t>(headerRead));
    image.announced = header->imageLength();
    const std::size_t imageRead =
        std::min(static_cast<std::size_t>(image.announced), bytes->size() - headerRead);
    image.bytes.assign(bytes->begin() + static_cast<std::ptrdiff_t>(headerRead),
                       bytes->begin() + static_cast<std::ptrdiff_t>(headerRead + imageRead));
    image.loadAddress = header->loadAddress;
    image.startAddress = header->start();
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

}  // namespace morvale

#include "upload.h"

#include <algorithm>
#include <string>
#include <vector>

#include "hex_number.h"
#include "typing.h"

namespace morvale {

namespace {

constexpr std::int32_t kPieceSize = 1024;
constexpr int kTicksAfterEscape = 50;
constexpr auto kUploadHeaderSize = static_cast<std::int32_t>(kc::kMemoryWriteHeaderSize);

// One write of the image and the ticks before it.
struct Piece {
    std::int32_t offset = 0;
    std::int32_t size = 0;
    UploadPiece shown;
    int ticks = 0;
    std::chrono::milliseconds tickLength{1};
};

std::vector<Piece> piecesOf(std::int32_t length) {
    using Kind = UploadPiece::Kind;
    if (length <= kPieceSize) {
        return {{0, length, {Kind::Whole, 1, 1}, 1, std::chrono::milliseconds(5)}};
    }
    const std::int32_t blocks = length / kPieceSize;
    const std::int32_t rest = length - blocks * kPieceSize;
    std::vector<Piece> pieces;
    for (std::int32_t i = 0; i < blocks; ++i) {
        pieces.push_back({i * kPieceSize, kPieceSize, {Kind::Block, i + 1, blocks}, 2});
    }
    if (rest > 0) {
        pieces.push_back({length - rest, rest, {Kind::Rest, blocks + 1, blocks}, 2});
    }
    return pieces;
}

// Runs the ticks before a piece; true when a stop was asked for in them.
bool stopRequested(Pacer& pacer, const Piece& piece) {
    Pause pause(pacer, piece.tickLength);
    bool stop = false;
    for (int k = 0; k < piece.ticks; ++k) {
        stop = pause.tick() || stop;
    }
    return stop;
}

std::string hex(std::int32_t value) {
    return formatHex(value);
}

}  // namespace

std::optional<kc::Error> targetRefusal(std::int32_t address, std::int32_t length) {
    // The address itself must lie below the ROM too: an empty image would
    // otherwise let the KC be told to load at 0xE000.
    std::string why;
    if (address < 0) {
        why = "address " + hex(address) + " is no KC address";
    } else if (address >= kRomStart) {
        why = "address " + hex(address) + " lies in the KC's ROM (from " + hex(kRomStart) + " up)";
    } else if (std::int64_t{address} + length > kRomStart) {
        why = "the image (" + std::to_string(length) + " bytes from " + hex(address) +
              ") would reach into the KC's ROM at " + hex(kRomStart);
    } else {
        return std::nullopt;
    }
    return kc::Error{kc::ErrorKind::AddressRefused, 0, "", why};
}

std::array<std::uint8_t, kc::kMemoryWriteHeaderSize> uploadHeader(std::int32_t address,
                                                                  std::int32_t length) {
    const auto addressField = hexField16(address);
    const auto lengthField = hexField16(length);
    return {kc::kEscape,     kc::kMemoryWrite, addressField[0],
            addressField[1], lengthField[0],   lengthField[1]};
}

bool writeUpload(OperationLine& line, Pacer& pacer, std::int32_t address,
                 std::span<const std::uint8_t> image, Progress* progress, SendReport& report) {
    const auto length = static_cast<std::int32_t>(image.size());
    const auto header = uploadHeader(address, length);
    const auto writeWhole = [&](std::span<const std::uint8_t> bytes) {
        if (report.error) {
            return;
        }
        const WriteResult result = line.write(bytes);
        if (!result.failed && result.written < static_cast<std::int32_t>(bytes.size())) {
            ++report.shortPieces;
            if (progress) {
                progress->pieceShort();
            }
        }
    };
    // A short header is not counted: the pieces after it tell.
    const auto writeHeader = [&](std::span<const std::uint8_t> bytes) {
        if (!report.error) {
            static_cast<void>(line.write(bytes));
        }
    };
    writeHeader(std::span(header).first(1));
    pauseTicks(pacer, kTicksAfterEscape);
    writeHeader(std::span(header).subspan(1));

    for (const Piece& piece : piecesOf(length)) {
        if (report.error) {
            return false;
        }
        if (progress) {
            progress->pieceStarted(piece.shown);
        }
        if (stopRequested(pacer, piece)) {
            report.stopped = true;
            return false;
        }
        writeWhole(image.subspan(piece.offset, piece.size));
    }
    return !report.error;
}

SendReport sendImage(SerialLink& link, Pacer& pacer, std::string_view portName,
                     std::int32_t address, std::span<const std::uint8_t> image,
                     Progress* progress) {
    SendReport report;
    const auto length = static_cast<std::int32_t>(image.size());
    if (auto refusal = targetRefusal(address, length)) {
        report.error = std::move(refusal);
        return report;
    }
    OperationLine line(link, portName, progress, report);
    if (!line.open(kUploadLine)) {
        return report;
    }
    if (progress) {
        progress->planned(planUpload(length));
    }
    static_cast<void>(writeUpload(line, pacer, address, image, progress, report));
    return report;
}

SendReport restoreCommandState(SerialLink& link, Pacer& pacer, std::string_view portName,
                               int pauseAfterLine) {
    SendReport all;
    for (const std::string_view command : {"MODIFY 1E2", "E7 FA."}) {
        const SendReport typed = typeLine(link, pacer, portName, command);
        all.bytesSent += typed.bytesSent;
        all.lineEnded = all.lineEnded || typed.lineEnded;
        if (typed.error) {
            all.error = typed.error;
            return all;
        }
        // CAOS shows the next address and its bytes: a new screen row.
        pauseTicks(pacer, pauseAfterLine);
    }
    return all;
}

bool writeStart(OperationLine& line, Pacer& pacer, std::uint16_t address, SendReport& report) {
    const auto field = hexField16(address);
    const std::uint8_t escape[] = {kc::kEscape};
    const std::uint8_t start[] = {kc::kStartProgram, field[0], field[1]};
    const auto whole = [&](std::span<const std::uint8_t> bytes) {
        const WriteResult result = line.write(bytes);
        if (!result.failed && result.written < static_cast<std::int32_t>(bytes.size())) {
            report.error = kc::Error{kc::ErrorKind::PieceShort, 0, line.portName(),
                                     "the start command did not go out whole (the KC held "
                                     "the line too long)"};
        }
        return !report.error;
    };
    if (!whole(escape)) {
        return false;
    }
    pauseTicks(pacer, kTicksAfterEscape);
    return whole(start);
}

SendReport startProgram(SerialLink& link, Pacer& pacer, std::string_view portName,
                        std::int32_t address) {
    SendReport report;
    if (address < 0 || address > 0xFFFF) {
        report.error = kc::Error{kc::ErrorKind::AddressRefused, 0, "",
                                 "start address " + hex(address) + " is no KC address"};
        return report;
    }
    OperationLine line(link, portName, nullptr, report);
    if (!line.open(kUploadLine)) {
        return report;
    }
    static_cast<void>(writeStart(line, pacer, static_cast<std::uint16_t>(address), report));
    return report;
}

TransferPlan planUpload(std::int32_t dataLength) {
    auto pauses = std::chrono::milliseconds(kTicksAfterEscape);
    for (const Piece& piece : piecesOf(dataLength)) {
        pauses += piece.ticks * piece.tickLength;
    }
    return {kUploadHeaderSize + std::max(dataLength, 0), pauses, characterTime(kUploadLine)};
}

}  // namespace morvale

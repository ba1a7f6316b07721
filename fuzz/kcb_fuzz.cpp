// The KCB reader.
//
// Input: the bytes of a KCB file.
// Model: the 128-byte KCC header, load address at 17, end address at 19;
// the image is the end minus the load address bytes after the header, as far
// as the file holds them. A load address above 0401h or an end at or below it
// is no KCB. BASIC's program reader reads the image from 0401h on; when it
// fails for want of bytes (Malformed) and the file holds less than the
// header announces, the file is the one to blame, still Malformed. The name
// is header bytes 0 to 7 less trailing blanks; never protected.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <variant>

#include "check.h"
#include "kcb.h"

using namespace fuzz;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const auto read = kc::readKcb(std::span(data, size), "in.kcb");
    kc::ErrorKind kind = kc::ErrorKind::TooShort;
    bool reads = false;
    kc::BasicProgram program;
    if (size >= 128) {
        const std::size_t load = data[17] + 256 * data[18];
        const std::size_t end = data[19] + 256 * data[20];
        kind = kc::ErrorKind::WrongKind;
        if (load <= 0x0401 && end > 0x0401) {
            const std::size_t held = std::min(end - load, size - 128);
            const std::size_t from = 0x0401 - load;
            const std::span<const std::uint8_t> image =
                from < held ? std::span(data + 128 + from, held - from)
                            : std::span<const std::uint8_t>();
            const auto own = kc::readProgramImage(image, "x");
            reads = std::holds_alternative<kc::BasicProgram>(own);
            if (reads) {
                program = std::get<kc::BasicProgram>(own);
            } else {
                kind = std::get<kc::Error>(own).kind;
            }
        }
    }
    expectEqual(std::holds_alternative<kc::BasicFile>(read), reads, "reads");
    if (const auto* error = std::get_if<kc::Error>(&read)) {
        expectEqual(static_cast<int>(error->kind), static_cast<int>(kind), "error kind");
        expectEqual(error->subject, std::string("in.kcb"), "error subject");
        expectTrue(!error->detail.empty(), "error detail");
        return 0;
    }
    const kc::BasicFile& file = std::get<kc::BasicFile>(read);
    std::string name(reinterpret_cast<const char*>(data), 8);
    name.erase(name.find_last_not_of(' ') + 1);
    expectEqual(file.name, name, "name");
    expectTrue(!file.isProtected, "never protected");
    expectTrue(file.program == program, "program");
    return 0;
}

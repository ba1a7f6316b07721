// Writes a listing as one of the KC's own program files, through the
// project's writers, so that the firmware check can load files the project
// made:
//   kc_file sss LISTING OUT            a plain SSS, as CSAVE writes it
//   kc_file tap LISTING OUT [NAME]     a KC-TAP holding the program
// Exit status 1, with one line on standard error, when the listing is
// refused or a file cannot be read or written.
#include <cstdio>
#include <fstream>
#include <iterator>
#include <string>
#include <variant>
#include <vector>

#include "basic_listing.h"
#include "sss.h"
#include "tap.h"

int main(int argc, char** argv) {
    if (argc < 4 || (std::string(argv[1]) != "sss" && std::string(argv[1]) != "tap")) {
        std::fputs("usage: kc_file sss|tap LISTING OUT [NAME]\n", stderr);
        return 2;
    }
    std::ifstream in(argv[2], std::ios::binary);
    const std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    auto program = kc::programFromListing(text, argv[2]);
    if (const auto* error = std::get_if<kc::Error>(&program)) {
        std::fprintf(stderr, "kc_file: %s\n", error->describe().c_str());
        return 1;
    }
    const kc::BasicFile file{argc > 4 ? argv[4] : "", false,
                             std::get<kc::BasicProgram>(std::move(program))};
    const std::vector<std::uint8_t> bytes =
        std::string(argv[1]) == "sss" ? kc::writeSss(file.program) : kc::writeTap(file);
    std::ofstream out(argv[3], std::ios::binary);
    out.write(reinterpret_cast<const char*>(bytes.data()),
              static_cast<std::streamsize>(bytes.size()));
    if (!in || !out.flush()) {
        std::fprintf(stderr, "kc_file: cannot read %s or write %s\n", argv[2], argv[3]);
        return 1;
    }
    return 0;
}

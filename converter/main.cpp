// kccstrip FILE.KCC: writes the memory image of a KCC file, everything after
// its 128-byte header, to file.bin beside it. Prints nothing on success; on
// failure reports once, waits for a line, and exits with status 1.
#include <string>

#include "conversion.h"
#include "failure.h"
#include "signal_cleanup.h"
#include "startup.h"

int main(int argc, char** argv) {
    kccstrip::prepareStandardStreams();
    kccstrip::installSignalCleanup();
    if (const auto status = kccstrip::answerInfoOption(argc, argv)) {
        return *status;
    }

    const std::string inputPath = argc > 1 ? argv[1] : "";
    if (const auto failure = kccstrip::convertKcc(inputPath)) {
        kccstrip::reportFailure(*failure);
        return 1;
    }
    return 0;
}

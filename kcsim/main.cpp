// kcsim: a virtual KC 85 on a pseudo-terminal, for trying a sender without
// the machine. Prints the device, shows what arrives until Ctrl+C, then a
// summary. Exit status 0; 1 when it failed; 2 for a wrong command line.
#include <iostream>
#include <string>
#include <vector>

#include "options.h"
#include "simulator.h"
#include "version.h"

int main(int argc, char** argv) {
    const auto parsed = kcsim::parseOptions(std::vector<std::string>(argv + 1, argv + argc));
    if (const auto* failure = std::get_if<kc::Error>(&parsed)) {
        std::cerr << "kcsim: " << failure->describe() << "\nTry 'kcsim --help'.\n";
        return 2;
    }
    const auto& options = std::get<kcsim::Options>(parsed);
    if (options.help) {
        std::cout << kcsim::usage();
        return 0;
    }
    if (options.version) {
        std::cout << "kcsim " MORVALE_VERSION "\n";
        return 0;
    }
    if (const auto failure = kcsim::runSimulator(options)) {
        std::cerr << "kcsim: " << failure->describe() << "\n";
        return 1;
    }
    return 0;
}

#include "output_path.h"

#include "file_name_case.h"
#include "latin1_case.h"

namespace kccstrip {

namespace {

constexpr std::string_view kKccExtension = ".kcc";
constexpr std::string_view kBinExtension = ".bin";

}  // namespace

bool hasKccExtension(std::string_view path) {
    if (path.size() < kKccExtension.size()) {
        return false;
    }
    return kc::lowerLatin1(path.substr(path.size() - kKccExtension.size())) == kKccExtension;
}

std::string_view directoryPart(std::string_view path) {
    const auto slash = path.rfind('/');
    return slash == std::string_view::npos ? std::string_view{} : path.substr(0, slash + 1);
}

std::string_view namePart(std::string_view path) {
    return path.substr(directoryPart(path).size());
}

std::string outputPathFor(std::string_view inputPath) {
    const std::string_view directory = directoryPart(inputPath);
    const std::string name = lowerFileName(namePart(inputPath));

    std::string output(directory);
    for (std::size_t i = 0; i < name.size();) {
        if (std::string_view(name).substr(i, kKccExtension.size()) == kKccExtension) {
            output += kBinExtension;
            i += kKccExtension.size();
        } else {
            output += name[i++];
        }
    }
    return output;
}

}  // namespace kccstrip

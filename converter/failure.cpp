#include "failure.h"

#include <cstring>
#include <utility>

namespace kccstrip {

Failure failureFromErrno(std::string file, int error) {
    return Failure{std::move(file), std::strerror(error)};
}

}  // namespace kccstrip

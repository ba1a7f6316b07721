#include "failure.h"

#include <cstring>

namespace kcsim {

Failure failureFromErrno(const std::string& what, int error) {
    return Failure{what + ": " + std::strerror(error)};
}

}  // namespace kcsim

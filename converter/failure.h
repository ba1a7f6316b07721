// Why a conversion failed, carried as a value to the one place that reports it.
#pragma once

#include <string>

namespace kccstrip {

struct Failure {
    std::string file;    // the path the failure concerns; empty when there is none
    std::string reason;  // in words, e.g. "No such file or directory"
};

// The failure of an operation on `file` that set errno to `error`.
Failure failureFromErrno(std::string file, int error);

}  // namespace kccstrip

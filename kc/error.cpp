#include "error.h"

#include <cstring>
#include <utility>

namespace kc {

std::string Error::describe() const {
    const std::string reason = !detail.empty() ? detail
                               : error != 0    ? std::string(std::strerror(error))
                                               : std::string();
    if (subject.empty()) {
        return reason;
    }
    return reason.empty() ? subject : subject + ": " + reason;
}

Error systemError(std::string subject, int error) {
    return Error{ErrorKind::System, error, std::move(subject), {}};
}

}  // namespace kc

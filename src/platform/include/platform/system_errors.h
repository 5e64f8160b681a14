#pragma once
#include <string>

#include "platform/error.h"

namespace platform {

// The system's wording for Windows error numbers. The POSIX side gives the
// Windows wording for every number it maps, so texts match on both systems.
class SystemErrors {
public:
    virtual ~SystemErrors() = default;
    // The message without its final line break; "" when the system has none.
    virtual std::string text(ErrorCode code) = 0;
    // The error number of the most recent failed platform call on this thread.
    virtual ErrorCode lastError() = 0;
};

}  // namespace platform

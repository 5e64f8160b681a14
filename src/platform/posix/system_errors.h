#pragma once
#include "platform/system_errors.h"

namespace platform::posix {

class PosixSystemErrors final : public SystemErrors {
public:
    std::string text(ErrorCode code) override;
    ErrorCode lastError() override;
};

}  // namespace platform::posix

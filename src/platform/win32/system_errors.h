#pragma once
#include "platform/system_errors.h"

namespace platform::win32 {

class Win32SystemErrors final : public SystemErrors {
public:
    std::string text(ErrorCode code) override;
    ErrorCode lastError() override;
};

}  // namespace platform::win32

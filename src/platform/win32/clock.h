#pragma once
#include "platform/clock.h"

namespace platform::win32 {

class Win32Clock final : public Clock {
public:
    std::chrono::milliseconds monotonicNow() override;
    LocalTime localNow() override;
    void sleep(std::chrono::milliseconds duration) override;
};

}  // namespace platform::win32

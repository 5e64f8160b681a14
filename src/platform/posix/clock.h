#pragma once
#include "platform/clock.h"

namespace platform::posix {

class PosixClock final : public Clock {
public:
    std::chrono::milliseconds monotonicNow() override;
    LocalTime localNow() override;
    void sleep(std::chrono::milliseconds duration) override;
};

}  // namespace platform::posix

#pragma once
#include <chrono>

namespace platform {

struct LocalTime {
    int year = 0, month = 0, day = 0, hour = 0, minute = 0, second = 0;
};

// Time as the programs see it; polling loops take one so tests can advance it.
class Clock {
public:
    virtual ~Clock() = default;
    virtual std::chrono::milliseconds monotonicNow() = 0;
    virtual LocalTime localNow() = 0;
    virtual void sleep(std::chrono::milliseconds duration) = 0;
};

}  // namespace platform

#pragma once
#include <cstdint>

namespace platform {

class Random {
public:
    virtual ~Random() = default;
    // Draws again from a fresh seed, as a caller that re-seeds from the timer would.
    virtual void reseed() = 0;
    // A uniform number in [0, 1).
    virtual double unit() = 0;
    virtual std::uint32_t bits() = 0;
};

}  // namespace platform

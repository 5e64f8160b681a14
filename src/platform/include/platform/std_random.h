#pragma once
#include <random>

#include "platform/random.h"

namespace platform {

// The standard library's generator, seeded from the system's entropy source;
// the same on every system, so it lives beside the seams, not behind one.
class StdRandom final : public Random {
public:
    StdRandom() { reseed(); }
    void reseed() override { engine_.seed(std::random_device{}()); }
    double unit() override { return std::uniform_real_distribution<double>(0.0, 1.0)(engine_); }
    std::uint32_t bits() override { return static_cast<std::uint32_t>(engine_()); }

private:
    std::mt19937 engine_;
};

}  // namespace platform

#pragma once
#include <cstdint>

namespace Harvella {

// Service-specific exit codes of the Harvella service, reported with 1066.
constexpr std::uint32_t EXIT_STOPPED_UNEXPECTEDLY = 1100;
constexpr std::uint32_t EXIT_PORT_OCCUPIED = 1101;

}  // namespace Harvella

#pragma once
#include <cstdint>
#include <string>

#include "platform/console.h"

namespace Quimbo {

// The installer reads at most this much of the result text.
constexpr std::size_t maxExitMessageLength = 1023;

// Writes the first 1023 characters of the message to standard output in one
// write (a failed write is ignored) and ends the process with the code at once.
[[noreturn]] void ExitWithCode(platform::Console& console, std::int32_t exitCode,
                               const std::string& message);

}  // namespace Quimbo

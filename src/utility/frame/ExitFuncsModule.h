#pragma once
#include <cstdint>
#include <string>

#include "platform/platform.h"

namespace Quimbo {

// The installer reads at most this many characters of the result text.
constexpr std::size_t maxExitMessageLength = 1023;

// Writes the first 1023 characters of the message (never half a character of
// a multi-byte code page) to standard output in one write (a failed write is
// ignored) and ends the process with the code at once.
[[noreturn]] void ExitWithCode(platform::Services& services, std::int32_t exitCode,
                               const std::string& message);

}  // namespace Quimbo

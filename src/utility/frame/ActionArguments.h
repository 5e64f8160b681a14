#pragma once
#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "platform/platform.h"

namespace Quimbo {

// The fields of the argument line, field 0 being the action code.
using Args = std::vector<std::string>;

// Splits at every "|"; no quoting, no trimming, empty fields kept. An empty
// line has no fields at all.
Args SplitArgumentLine(const std::string& line);

// Field 0 as a 16-bit action code: optional blanks, an optional sign and
// digits. Anything else, or a value outside 16 bits, is no code.
bool ParseActionCode(const std::string& field, std::int16_t& code);

// Shows the action's field-count message and ends the program with the code
// (0 unless the action's answer says otherwise): nothing has been touched yet.
[[noreturn]] void RejectFieldCount(platform::Services& services, const std::string& message,
                                   std::int32_t exitCode = 0);

// A window-handle field as a 32-bit number; false when it is not one.
bool ReadWindowHandle(const Args& args, std::size_t index, std::int32_t& handle);

// A window-handle field as a 32-bit number; a field that is not one ends the
// program as a wrong field count does, with the code given.
std::int32_t WindowHandleField(platform::Services& services, const Args& args, std::size_t index,
                               std::int32_t exitCode = 0);

// The six handles of the installer page (Next, Back, Cancel, action label,
// progress bar, log) from field `first` on, read in this order: the first
// bad field is the one the message names.
std::array<std::int32_t, 6> WindowHandleFields(platform::Services& services, const Args& args,
                                               std::size_t first);

}  // namespace Quimbo

#pragma once
#include <cstdint>
#include <string>

namespace Quimbo {

// Text to a whole number as the script runtime's CLng and CInt convert it:
// blanks around it, a sign, decimals rounded half to even. Raises "Type
// mismatch" (13) for anything else and "Overflow" (6) outside the type's range.
std::int32_t TextToLong(const std::string& text);
std::int16_t TextToInteger(const std::string& text);

}  // namespace Quimbo

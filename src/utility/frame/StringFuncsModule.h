#pragma once
#include <cstdint>
#include <string>

#include "platform/code_pages.h"
#include "platform/random.h"

namespace Quimbo {

// Re-encodes ANSI text written in code page `source` (the console's 866) into
// `target` (1251); what the target cannot hold becomes "0".
std::string ConvertCodePage(platform::CodePages& codePages, const std::string& text,
                            std::int32_t source, std::int32_t target);
std::string RandomLetters(platform::Random& random, std::int16_t count);
// 7 random letters + password + 11 random letters: the stored root password.
std::string PadPassword(platform::Random& random, const std::string& password);
// Raises a failure for a line shorter than the 18 padding letters.
std::string UnpadPassword(const std::string& line);
std::string TrimLineEnds(const std::string& text);
// The text's digits read as one 16-bit number; raises without digits or above 32767.
std::int16_t DigitsToInteger(const std::string& text);

}  // namespace Quimbo

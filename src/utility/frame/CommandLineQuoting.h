#pragma once
#include <string>

#include "platform/conventions.h"

namespace Quimbo {

// The one way the utility puts a path or value on a command line: in double
// quotes, so that a program reading its arguments by the Windows rules gets
// exactly this text back as one argument. Backslashes standing before a quote
// (one inside the text, or the closing one) are doubled and each quote inside
// is escaped; blanks stay inside the quotes. The Linux runner splits a
// command line by the same rules.
std::string QuoteArgument(const std::string& value);

// A word inside a generated command file, taken literally by the interpreter
// that runs the file. Shell script: in single quotes, a quote written '\''.
// Batch file: QuoteArgument with every "%" doubled, since cmd expands "%" even
// inside quotes. A double quote or a line break cannot be kept literal in a
// batch file (and no Windows path holds one): such a value is refused with
// failure 5 "Invalid procedure call or argument" and a description naming it.
std::string CommandFileWord(const platform::Conventions& conventions, const std::string& value);

}  // namespace Quimbo

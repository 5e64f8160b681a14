#pragma once
#include <string>

#include "platform/conventions.h"

namespace Quimbo {

// The one way the utility puts a path or value on a command line (the
// launcher's words go the same way): platform::quoteCommandLineWord.
std::string QuoteArgument(const std::string& value);

// A word inside a generated command file, taken literally by the interpreter
// that runs the file. Shell script: in single quotes, a quote written '\''.
// Batch file: QuoteArgument with every "%" doubled, since cmd expands "%" even
// inside quotes. A double quote or a line break cannot be kept literal in a
// batch file (and no Windows path holds one): such a value is refused with
// failure 5 "Invalid procedure call or argument" and a description naming it.
std::string CommandFileWord(const platform::Conventions& conventions, const std::string& value);

}  // namespace Quimbo

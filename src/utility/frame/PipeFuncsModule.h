#pragma once
#include <string>

#include "platform/console.h"
#include "platform/process.h"

namespace Quimbo {

// One write of the text to the utility's standard output. Raises 1001 when the
// write fails and 1002 when it wrote less than the whole text.
void WriteStdOut(platform::Console& console, const std::string& text);
// Writes the text to a child's standard input; the outcome is not examined.
void WritePipeText(platform::ChildProcess& pipe, const std::string& text);

}  // namespace Quimbo

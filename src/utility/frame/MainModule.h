#pragma once
#include "platform/platform.h"

namespace Quimbo {

// The utility's entry: splits the argument line, runs the action that field 0
// names and returns the exit code (0) unless the action ended the program.
int Main(platform::Services& services);

}  // namespace Quimbo

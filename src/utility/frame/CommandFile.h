#pragma once
#include <string>

#include "platform/conventions.h"

namespace Quimbo {

// The text of a generated command file that runs one command line: on Windows
// "CHCP <ANSI code page>" first, so that the console speaks the code page the
// utility reads; on Linux a "#!/bin/sh" script.
std::string CommandFileText(const platform::Conventions& conventions, unsigned ansiCodePage,
                            const std::string& commandLine);
// As above with the code page already formatted: some command files write it
// as a number with a leading sign blank ("CHCP  1252").
std::string CommandFileText(const platform::Conventions& conventions,
                            const std::string& codePageText, const std::string& commandLine);

}  // namespace Quimbo

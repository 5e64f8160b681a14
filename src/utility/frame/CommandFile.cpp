#include "CommandFile.h"

namespace Quimbo {

std::string CommandFileText(const platform::Conventions& conventions, unsigned ansiCodePage,
                            const std::string& commandLine) {
    const std::string header = conventions.commandFileSetsCodePage
                                   ? "CHCP " + std::to_string(ansiCodePage)
                                   : std::string("#!/bin/sh");
    return header + conventions.commandFileLineBreak + commandLine;
}

}  // namespace Quimbo

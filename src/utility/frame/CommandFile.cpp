#include "CommandFile.h"

namespace Quimbo {

std::string CommandFileText(const platform::Conventions& conventions, unsigned ansiCodePage,
                            const std::string& commandLine) {
    return CommandFileText(conventions, std::to_string(ansiCodePage), commandLine);
}

std::string CommandFileText(const platform::Conventions& conventions,
                            const std::string& codePageText, const std::string& commandLine) {
    const std::string header = conventions.commandFileKind == platform::CommandFileKind::batchFile
                                   ? "CHCP " + codePageText
                                   : std::string("#!/bin/sh");
    return header + conventions.commandFileLineBreak + commandLine;
}

}  // namespace Quimbo

#pragma once
#include <string>

namespace platform {

// The few spellings that differ between Windows and the Linux stand-ins.
struct Conventions {
    // "\\" on Windows, "/" on Linux.
    std::string separator;
    // ".exe" on Windows, "" on Linux.
    std::string executableSuffix;
    // ".bat" on Windows, ".sh" on Linux.
    std::string commandFileSuffix;
    // Line break inside generated command files: CR LF on Windows, LF on Linux.
    std::string commandFileLineBreak;
    // True where a command file starts by switching the console code page
    // ("CHCP n"); false where it starts with "#!/bin/sh".
    bool commandFileSetsCodePage = true;
};

const Conventions& hostConventions();

}  // namespace platform

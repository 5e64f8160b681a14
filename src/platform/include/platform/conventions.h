#pragma once
#include <string>

namespace platform {

// Who reads a generated command file: cmd (a ".bat" that first switches the
// console code page with "CHCP n") or /bin/sh (a script starting "#!/bin/sh").
enum class CommandFileKind { batchFile, shellScript };

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
    CommandFileKind commandFileKind = CommandFileKind::batchFile;
    // The program whose "start NAME" and "stop NAME" start or stop a service
    // and wait for it: "net" on Windows, the stand-in's "harvella-sc" on Linux.
    std::string serviceCommand;
};

const Conventions& hostConventions();

}  // namespace platform

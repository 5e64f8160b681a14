#pragma once
#include <string>

#include "IWaitTimeoutHandler.h"
#include "platform/platform.h"

namespace Quimbo {

// Returned when the program could not be started.
constexpr int execCmdLaunchFailed = -1000;

// Runs a hidden console program with its standard streams captured and returns
// its exit code. errText and outText receive all it wrote (error first: the
// order callers rely on). While it runs, the handler is called about every
// 20 ms and the thread's window messages are served. When it cannot start,
// errText becomes the system's reason + " File: " + the program.
int ExecCmd(platform::Services& services, const std::string& commandLine, std::string& errText,
            std::string& outText, IWaitTimeoutHandler* handler = nullptr);

// What a program whose standard output reports its failure said: that
// output, or the reason the runner gave when the program never started.
std::string OutputOrLaunchFailure(int exitCode, const std::string& errText,
                                  const std::string& outText);

// The system's message for a Windows error number (0: the last error).
std::string GetSystemErrorText(platform::SystemErrors& errors, platform::ErrorCode code);

// The program a command line names: the text between its first two double
// quotes, or the whole line when it holds fewer than two.
std::string ProgramOfCommandLine(const std::string& commandLine);

}  // namespace Quimbo

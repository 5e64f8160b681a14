#include "ExecCmdModule.h"

#include <chrono>

namespace Quimbo {
namespace {
constexpr std::chrono::milliseconds handlerSlice{20};
}

std::string OutputOrLaunchFailure(int exitCode, const std::string& errText,
                                  const std::string& outText) {
    return exitCode == execCmdLaunchFailed ? errText : outText;
}

std::string GetSystemErrorText(platform::SystemErrors& errors, platform::ErrorCode code) {
    return errors.text(code == 0 ? errors.lastError() : code);
}

std::string ProgramOfCommandLine(const std::string& commandLine) {
    const auto first = commandLine.find('"');
    const auto second = first == std::string::npos ? first : commandLine.find('"', first + 1);
    if (second == std::string::npos) return commandLine;
    return commandLine.substr(first + 1, second - first - 1);
}

int ExecCmd(platform::Services& services, const std::string& commandLine, std::string& errText,
            std::string& outText, IWaitTimeoutHandler* handler) {
    IWaitTimeoutHandler defaultHandler;
    IWaitTimeoutHandler& onTimeout = handler ? *handler : defaultHandler;

    auto launched = services.processes.launch(commandLine);
    if (!launched.ok()) {
        errText = GetSystemErrorText(services.errors, launched.error) + " File: " +
                  ProgramOfCommandLine(commandLine);
        return execCmdLaunchFailed;
    }
    platform::ChildProcess& child = *launched.value;
    outText.clear();
    errText.clear();
    // Child output is ANSI text, which is what the utility's strings hold.
    while (!child.waitSlice(handlerSlice, outText, errText))
        onTimeout.handleWaitTimeOut(outText, errText, child);
    return child.exitCode();
}

}  // namespace Quimbo

#include "ExitFuncsModule.h"

#include "FailureRecord.h"
#include "PipeFuncsModule.h"

namespace Quimbo {

void ExitWithCode(platform::Services& services, std::int32_t exitCode, const std::string& message) {
    try {
        WriteStdOut(services.console, message.substr(0, services.codePages.lengthOfCharacters(
                                                            message, maxExitMessageLength)));
    } catch (const FailureRecord&) {
    }
    services.console.exitProcess(exitCode);
}

}  // namespace Quimbo

#include "ExitFuncsModule.h"

#include "FailureRecord.h"
#include "PipeFuncsModule.h"

namespace Quimbo {

void ExitWithCode(platform::Console& console, std::int32_t exitCode, const std::string& message) {
    try {
        WriteStdOut(console, message.substr(0, maxExitMessageLength));
    } catch (const FailureRecord&) {
    }
    console.exitProcess(exitCode);
}

}  // namespace Quimbo

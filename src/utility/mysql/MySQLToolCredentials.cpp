#include "MySQLToolCredentials.h"

#include "MySQLClientFiles.h"
#include "TemporaryFiles.h"
#include "frame/CommandLineQuoting.h"
#include "frame/ExecCmdModule.h"

namespace Quimbo {

std::string ToolCredentialsText(const std::string& password) {
    std::string text = "[client]\n";
    if (!password.empty()) text += "password=" + OptionFileValue(password) + "\n";
    // Of the tools only mysqladmin knows a connect time-out, and an option a
    // tool does not know in a group it reads is an error: this group is its own.
    return text + "[mysqladmin]\nconnect-timeout=" + std::to_string(connectTimeoutSeconds) + "\n";
}

int ExecMySQLTool(platform::Services& services, FileSystemObject& fso, const std::string& toolPath,
                  const std::string& password, const std::string& arguments, std::string& errText,
                  std::string& outText) {
    TemporaryFiles temporaries(fso);
    const std::string optionsFile =
        temporaries.add(CreateTempFile(fso, "", ToolCredentialsText(password)));
    const std::string commandLine = QuoteArgument(toolPath) +
                                    " --defaults-file=" + QuoteArgument(optionsFile) +
                                    arguments;
    return ExecCmd(services, commandLine, errText, outText);
}

}  // namespace Quimbo

#include "MySQLVersionChecker.h"

#include "TemporaryFiles.h"
#include "frame/CommandFile.h"
#include "frame/CommandLineQuoting.h"
#include "frame/ExecCmdModule.h"
#include "frame/ExitFuncsModule.h"
#include "frame/FailureRecord.h"
#include "frame/FileFuncsModule.h"
#include "frame/MathFuncsModule.h"
#include "frame/StringFuncsModule.h"
#include "frame/VbRegExp.h"

namespace Quimbo {
namespace {

const char* const versionPattern = ".*Distrib\\s*([0-9]+\\.[0-9]+\\.[0-9]+).*";

enum VersionExitCode : std::int32_t { versionAccepted = 0, versionTooOld = 1, clientFailed = 2 };

// The version text split at ".", each of the first three parts read by its digits.
std::vector<std::int32_t> versionNumbers(const std::string& verStr) {
    std::vector<std::int32_t> numbers(3, 0);
    std::size_t start = 0;
    for (std::size_t position = 0; position < numbers.size() && start <= verStr.size(); ++position) {
        const std::size_t dot = verStr.find('.', start);
        try {
            numbers[position] = DigitsToInteger(verStr.substr(start, dot - start));
        } catch (const FailureRecord&) {
        }
        if (dot == std::string::npos) break;
        start = dot + 1;
    }
    return numbers;
}

}  // namespace

MySQLVersionChecker::MySQLVersionChecker(platform::Services& services) : services_(services) {}

void MySQLVersionChecker::Initialize(Args& args, int& argsQty) {
    if (argsQty != 2) RejectFieldCount(services_, "MySQL version check requires 2 parameters!");
    minimumVersion_ = {5, 0, 0};
    instDir_ = args[1];
}

std::string MySQLVersionChecker::clientPath() const {
    const auto& c = services_.conventions;
    return instDir_ + c.separator + "MySQL" + c.separator + "bin" + c.separator + "mysql" +
           c.executableSuffix;
}

int MySQLVersionChecker::askClient(std::string& answer) {
    FileSystemObject fso(services_.files, services_.random, services_.conventions);
    // Nothing of either file may stay behind, whichever way the check ends.
    TemporaryFiles temporaries(fso);
    try {
        const auto word = [&](const std::string& value) {
            return CommandFileWord(services_.conventions, value);
        };
        const std::string outputFile = temporaries.add(CreateTempFile(fso));
        const std::string commandFile = temporaries.add(CreateTempFile(
            fso, services_.conventions.commandFileSuffix,
            CommandFileText(services_.conventions, services_.codePages.ansiCodePage(),
                            word(clientPath()) + " --version > " + word(outputFile))));
        std::string errText, outText;
        const int exitCode = ExecCmd(services_, QuoteArgument(commandFile), errText, outText);
        if (exitCode != 0) return exitCode;
        // An unreadable answer holds no version.
        try {
            answer = fso.ReadAll(outputFile);
        } catch (const FailureRecord&) {
        }
        return exitCode;
    } catch (const FailureRecord&) {
        return execCmdLaunchFailed;
    }
}

void MySQLVersionChecker::checkMysqlVersion() {
    std::string answer;
    if (askClient(answer) != 0) ExitWithCode(services_.console, clientFailed, "");
    const std::string version = VbRegExp(versionPattern).Replace(answer, "$1");
    if (!checkMysqlVersionNumber(version)) ExitWithCode(services_.console, versionTooOld, version);
    ExitWithCode(services_.console, versionAccepted, "");
}

bool MySQLVersionChecker::checkMysqlVersionNumber(const std::string& verStr) const {
    return compareVersions(minimumVersion_, versionNumbers(verStr)) >= 0;
}

int MySQLVersionChecker::compareVersions(const std::vector<std::int32_t>& verLeft,
                                         const std::vector<std::int32_t>& verRight) {
    const std::size_t count = Max(verLeft.size(), verRight.size());
    int result = 0;
    for (std::size_t i = 0; i < count && result == 0; ++i) {
        const std::int32_t left = i < verLeft.size() ? verLeft[i] : 0;
        const std::int32_t right = i < verRight.size() ? verRight[i] : 0;
        if (right > left) result = 1;
        if (right < left) result = -1;
    }
    return result;
}

}  // namespace Quimbo

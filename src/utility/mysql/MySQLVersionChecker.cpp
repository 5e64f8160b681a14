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

namespace Quimbo {
namespace {

bool isWhite(char c) {
    return c == ' ' || c == '\t' || c == '\f' || c == '\v' || c == '\r' || c == '\n';
}
bool isDigit(char c) {
    return c >= '0' && c <= '9';
}

// Whether "distrib" stands at `at`, in any case.
bool distribAt(const std::string& text, std::size_t at) {
    static const std::string word = "distrib";
    if (at + word.size() > text.size()) return false;
    for (std::size_t i = 0; i < word.size(); ++i) {
        const char c = text[at + i];
        if ((c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c) != word[i]) return false;
    }
    return true;
}

// The end of a version "a.b.c" (digits, as many as stand there) at `at`, or npos.
std::size_t versionEnd(const std::string& text, std::size_t at) {
    for (int part = 0; part < 3; ++part) {
        if (part > 0) {
            if (at >= text.size() || text[at] != '.') return std::string::npos;
            ++at;
        }
        const std::size_t digits = at;
        while (at < text.size() && isDigit(text[at]))
            ++at;
        if (at == digits) return std::string::npos;
    }
    return at;
}

// The client's answer with every line that names "Distrib" and then a
// version a.b.c replaced by that version (the last naming on the line wins;
// the white space before the version may run over line breaks, and the
// replaced text then ends with the version's line). Lines end at LF only:
// the CR of a CR LF stays with the version. One pass over the answer.
std::string versionsOfAnswer(const std::string& answer) {
    std::string result;
    std::size_t copied = 0;
    for (std::size_t start = 0; start <= answer.size();) {
        std::size_t end = answer.find('\n', start);
        if (end == std::string::npos) end = answer.size();
        std::size_t next = end + 1;
        for (std::size_t at = end; at-- > start;) {
            if (!distribAt(answer, at)) continue;
            std::size_t version = at + 7;
            while (version < answer.size() && isWhite(answer[version]))
                ++version;
            const std::size_t versionStop = versionEnd(answer, version);
            if (versionStop == std::string::npos) continue;
            std::size_t lineStop = answer.find('\n', versionStop);
            if (lineStop == std::string::npos) lineStop = answer.size();
            result.append(answer, copied, start - copied)
                .append(answer, version, versionStop - version);
            copied = lineStop;
            next = lineStop + 1;
            break;
        }
        start = next;
    }
    return result.append(answer, copied, std::string::npos);
}

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
    if (askClient(answer) != 0) ExitWithCode(services_, clientFailed, "");
    const std::string version = versionsOfAnswer(answer);
    if (!checkMysqlVersionNumber(version)) ExitWithCode(services_, versionTooOld, version);
    ExitWithCode(services_, versionAccepted, "");
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

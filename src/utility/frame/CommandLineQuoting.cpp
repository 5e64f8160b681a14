#include "CommandLineQuoting.h"

#include "FailureRecord.h"
#include "VbErrors.h"
#include "platform/command_line_word.h"

namespace Quimbo {
namespace {

std::string shellWord(const std::string& value) {
    std::string word = "'";
    for (const char c : value)
        word += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return word + "'";
}

std::string batchWord(const std::string& value) {
    if (value.find_first_of("\"\r\n") != std::string::npos) {
        FailureRecord refused = vbError(VbError::invalidProcedureCall, "command file");
        refused.description = value +
                              " cannot be written into a command file: it holds a double quote "
                              "or a line break, which no Windows path can hold.";
        throw refused;
    }
    std::string word;
    for (const char c : QuoteArgument(value))
        word += c == '%' ? std::string("%%") : std::string(1, c);
    return word;
}

}  // namespace

std::string QuoteArgument(const std::string& value) {
    return platform::quoteCommandLineWord(value);
}

std::string CommandFileWord(const platform::Conventions& conventions, const std::string& value) {
    return conventions.commandFileKind == platform::CommandFileKind::batchFile ? batchWord(value)
                                                                               : shellWord(value);
}

}  // namespace Quimbo

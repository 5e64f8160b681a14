#include "MySQLClientFiles.h"

#include "frame/CommandFile.h"
#include "frame/CommandLineQuoting.h"

namespace Quimbo {
namespace {

void appendSetting(std::string& text, const char* key, const std::string& value) {
    if (!value.empty()) text += std::string(key) + "=" + OptionFileValue(value) + "\n";
}

}  // namespace

std::string OptionFileValue(const std::string& value) {
    const auto edgeBlank = [](char c) { return c == ' ' || c == '\t'; };
    const bool plain = value.find_first_of("#\"'\\;\r\n") == std::string::npos &&
                       (value.empty() || (!edgeBlank(value.front()) && !edgeBlank(value.back())));
    if (plain) return value;
    std::string quoted = "\"";
    for (const char c : value) {
        if (c == '\n')
            quoted += "\\n";
        else if (c == '\r')
            quoted += "\\r";
        else
            quoted += c == '\\' || c == '"' ? std::string{'\\', c} : std::string(1, c);
    }
    return quoted + "\"";
}

std::string ClientOptionsText(const MySQLConnection& connection) {
    std::string text = "[client]\n";
    appendSetting(text, "port", connection.port);
    appendSetting(text, "host", connection.host);
    appendSetting(text, "user", connection.user);
    appendSetting(text, "password", connection.password);
    appendSetting(text, "database", connection.database);
    appendSetting(text, "connect-timeout", std::to_string(connectTimeoutSeconds));
    return text;
}

std::string ClientCommandLine(const platform::Conventions& conventions,
                              const std::string& clientPath, const ClientRunFiles& files) {
    const auto word = [&](const std::string& value) { return CommandFileWord(conventions, value); };
    // --defaults-file must stand first: the client reads no option before it.
    return word(clientPath) + " --defaults-file=" + word(files.options) +
           " --default-character-set=utf8 -B -f  2> " + word(files.error) + " < " +
           word(files.script);
}

std::string ClientCommandFileText(const platform::Conventions& conventions, unsigned ansiCodePage,
                                  const std::string& clientLine) {
    if (conventions.commandFileKind == platform::CommandFileKind::shellScript)
        return CommandFileText(conventions, ansiCodePage, clientLine);
    // "@" keeps cmd from echoing a line; CHCP's own message goes to NUL.
    return "@CHCP  " + std::to_string(ansiCodePage) + " >NUL" + conventions.commandFileLineBreak +
           "@" + clientLine;
}

}  // namespace Quimbo

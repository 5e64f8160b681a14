#include "AccessScript.h"

namespace Quimbo {
namespace {

const std::string byteOrderMark = "\xEF\xBB\xBF";

// The white space of the script engine's "\s".
bool isSpace(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\v' || c == '\f';
}

// The line ends with ";" followed by white space only.
bool endsStatement(const std::string& line) {
    std::size_t end = line.size();
    while (end > 0 && isSpace(line[end - 1]))
        --end;
    return end > 0 && line[end - 1] == ';';
}

// The quote that is open after the text, starting with `open` (0: none): a
// quote opens a literal, the same quote closes it, the other kind inside it
// is plain text.
char openQuoteAfter(const std::string& text, char open) {
    for (const char c : text) {
        if (open == 0 && (c == '\'' || c == '"'))
            open = c;
        else if (c == open)
            open = 0;
    }
    return open;
}

}  // namespace

std::vector<std::string> ScriptStatements(const std::string& script) {
    std::vector<std::string> statements;
    std::string statement;
    // The quote state of the statement so far, carried from line to line so
    // that a long statement is scanned once.
    char open = 0;
    std::size_t start =
        script.compare(0, byteOrderMark.size(), byteOrderMark) == 0 ? byteOrderMark.size() : 0;
    while (start < script.size()) {
        std::size_t end = script.find("\r\n", start);
        if (end == std::string::npos) end = script.size();
        const std::string line = script.substr(start, end - start);
        start = end + 2;
        if (line.empty() || line.find("--") != std::string::npos) continue;
        statement += line + "\n";
        open = openQuoteAfter(line, open);
        if (endsStatement(line) && open == 0) {
            statements.push_back(statement);
            statement.clear();
        }
    }
    return statements;
}

}  // namespace Quimbo

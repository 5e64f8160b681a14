#pragma once
#include <string>
#include <vector>

namespace Quimbo {

// The statements of a schema script in the order they run. Lines end in CR LF
// (a bare LF stays inside its line); a line that is empty or holds "--"
// anywhere is dropped; the others are gathered, each followed by LF, until a
// line ends in ";" and blanks with every "'" or double-quote literal closed. Text after the last
// such line is not a statement. A UTF-8 byte order mark is not part of the text.
std::vector<std::string> ScriptStatements(const std::string& script);

}  // namespace Quimbo

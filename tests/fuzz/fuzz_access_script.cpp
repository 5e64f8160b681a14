// Schema and patch scripts of the Access path, cut into statements: every
// statement is whole lines of the script, each ending in LF, and the last
// line ends in ";".
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "access/AccessScript.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string script(reinterpret_cast<const char*>(data), size);
    std::size_t total = 0;
    for (const std::string& statement : Quimbo::ScriptStatements(script)) {
        if (statement.empty() || statement.back() != '\n') std::abort();
        if (statement.find(';') == std::string::npos) std::abort();
        total += statement.size();
    }
    // Each kept line gains at most its LF, in place of a CR LF it had.
    if (total > script.size() + 1) std::abort();
    return 0;
}

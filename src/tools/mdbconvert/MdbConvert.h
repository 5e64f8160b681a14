#pragma once
#include <string>

#include "platform/platform.h"

namespace mdbconvert {

// The exit codes the database utility reads.
enum ExitCode : int {
    converted = 0,
    locked = 2,
    noPermission = 5,
    corrupted = 6,
    failed = 7,
};

// The database path from the tool's argument line: the whole line, so that an
// unquoted path with blanks works; a line that is one quoted path loses its quotes.
std::string DatabasePathArgument(const std::string& argumentLine);

// Brings the database file to the engine's current format: the engine writes
// a fresh copy into a private folder beside the file, and only a complete copy
// takes the file's place. On every failure the file stays as it was.
int ConvertDatabase(platform::Services& services, const std::string& path);

}  // namespace mdbconvert

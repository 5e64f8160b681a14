#pragma once
#include <string>

#include "frame/FileSystemObject.h"
#include "platform/platform.h"

namespace Quimbo {

// The options file that hands a password to mysqldump, mysqlcheck or
// mysqladmin: "[client]" and, when there is one, the password; then
// mysqladmin's connect time-out.
std::string ToolCredentialsText(const std::string& password);

// Runs a MySQL server tool with the password in a temporary options file that
// only its owner may read, named by the tool's first option --defaults-file=:
// a password on the command line would be readable by every local user in the
// process list, and the tool reads no other option file, so that no
// password= of the user's own ~/.my.cnf overrides ours. `arguments` follow
// that option as given (each starting with a blank, every value quoted by
// QuoteArgument). The file is deleted on every path; failing to write it
// raises. Returns the tool's exit code as ExecCmd does.
int ExecMySQLTool(platform::Services& services, FileSystemObject& fso, const std::string& toolPath,
                  const std::string& password, const std::string& arguments, std::string& errText,
                  std::string& outText);

}  // namespace Quimbo

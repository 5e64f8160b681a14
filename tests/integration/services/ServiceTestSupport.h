#pragma once
// A private stand-in machine per test and a way to run harvella-sc on it.
#include <string>

#include "support/TestSupport.h"

namespace servicetests {

using testsupport::binDir;
using testsupport::readFile;
using ToolRun = testsupport::ProgramRun;

// Points HARVELLA_SYSTEM_ROOT at a fresh folder; on the way out kills every
// service process still running there and removes the folder.
class MachineFixture {
public:
    MachineFixture();
    ~MachineFixture();
    const std::string& root() const { return folder_.path(); }

private:
    testsupport::TempFolder folder_;
};

// Runs a shell command line, capturing both streams (the shell's quoting,
// unlike testsupport::runProgram).
ToolRun runShell(const std::string& commandLine);
// harvella-sc with the given arguments (already quoted for the shell).
ToolRun sc(const std::string& arguments);
// The command line of the service-aware test service.
std::string testService(const std::string& name, const std::string& mode);

}  // namespace servicetests

#pragma once
// A private stand-in machine per test and a way to run harvella-sc on it.
#include <string>

namespace servicetests {

struct ToolRun {
    int exitCode = -1;
    std::string out;
    std::string err;
};

// Points HARVELLA_SYSTEM_ROOT at a fresh folder; on the way out kills every
// service process still running there and removes the folder.
class MachineFixture {
public:
    MachineFixture();
    ~MachineFixture();
    MachineFixture(const MachineFixture&) = delete;
    MachineFixture& operator=(const MachineFixture&) = delete;
    const std::string& root() const { return root_; }

private:
    std::string root_;
};

// Runs a shell command line, capturing both streams.
ToolRun runShell(const std::string& commandLine);
// harvella-sc with the given arguments (already quoted for the shell).
ToolRun sc(const std::string& arguments);
std::string binDir();
// The command line of the service-aware test service.
std::string testService(const std::string& name, const std::string& mode);
std::string readFile(const std::string& path);

}  // namespace servicetests

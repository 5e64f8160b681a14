#pragma once
// A stand-in machine of its own for each test: a temporary folder that holds
// the registry and event log (HARVELLA_SYSTEM_ROOT) and an installation.
#include <sys/types.h>

#include <string>

namespace launchertest {

class LauncherMachine {
public:
    LauncherMachine();
    ~LauncherMachine();
    LauncherMachine(const LauncherMachine&) = delete;
    LauncherMachine& operator=(const LauncherMachine&) = delete;

    const std::string& root() const { return root_; }
    std::string installFolder() const { return root_ + "/install"; }
    // Writes the product key's values file as an installer script would.
    void setProductValues(const std::string& valuesFileText);

private:
    std::string root_;
};

void writeFile(const std::string& path, const std::string& bytes);
std::string readFile(const std::string& path);
bool exists(const std::string& path);
// A TCP port on 127.0.0.1 that was free a moment ago.
unsigned short freeLoopbackPort();

struct Outcome {
    int exitCode = -1;
    std::string out;
};

// A program started in the background; its standard output is collected.
class BackgroundProgram {
public:
    BackgroundProgram(const std::string& program, const std::string& argument);
    ~BackgroundProgram();
    // Waits up to a minute, then kills the program (exit code -1).
    Outcome wait();

private:
    pid_t pid_ = -1;
    int output_ = -1;
};

bool waitForFile(const std::string& path, bool present, int timeoutMs = 20000);

}  // namespace launchertest

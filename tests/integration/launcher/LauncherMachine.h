#pragma once
// A stand-in machine of its own for each test: a temporary folder that holds
// the registry and event log (HARVELLA_SYSTEM_ROOT) and an installation.
#include <sys/types.h>

#include <string>

#include "support/TestSupport.h"

namespace launchertest {

using testsupport::readFile;
using testsupport::writeFile;

class LauncherMachine {
public:
    LauncherMachine();
    ~LauncherMachine();

    const std::string& root() const { return folder_.path(); }
    std::string installFolder() const { return root() + "/install"; }
    // Writes the product key's values file as an installer script would.
    void setProductValues(const std::string& valuesFileText);

private:
    testsupport::TempFolder folder_;
};

bool exists(const std::string& path);
// A TCP port on 127.0.0.1 that was free a moment ago.
unsigned short freeLoopbackPort();

// A listening socket on the address and a port of the kernel's choice, held
// for the object's life.
class PortListener {
public:
    explicit PortListener(const char* address);
    ~PortListener();
    PortListener(const PortListener&) = delete;
    PortListener& operator=(const PortListener&) = delete;
    const std::string& port() const { return port_; }

private:
    int fd_ = -1;
    std::string port_;
};

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

// The whole answer to "GET path" from 127.0.0.1:port; empty when nothing answers.
std::string httpGet(const std::string& port, const std::string& path);

}  // namespace launchertest

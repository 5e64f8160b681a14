#pragma once
#include <string>
#include <utility>
#include <vector>

#include "platform/process.h"

namespace winesupport {

struct ProgramRun {
    int exitCode = -1;
    std::string out;
    std::string err;
};

// Runs a command line through the real Win32 runner and waits for its end.
ProgramRun runProgram(const std::string& commandLine);

// A fresh folder in the temporary folder, removed with its content at the end.
class TempFolder {
public:
    TempFolder();
    ~TempFolder();
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;
    const std::string& path() const { return path_; }
    std::string operator/(const std::string& name) const { return path_ + "\\" + name; }

private:
    std::string path_;
};

// The folder of the running test program: the build's bin folder.
std::string programFolder();
// The build's folder of test fixtures (fake programs).
std::string fixturesFolder();
void makeFolder(const std::string& path);
void copyFile(const std::string& from, const std::string& to);
std::size_t countFilesStartingWith(const std::string& folder, const std::string& prefix);
std::string readFile(const std::string& path);
// Lays out java\bin\server\jvm.dll (the test jvm.dll) and install\run in the folder.
void installTestJvm(const TempFolder& folder);
// Writes string values (REG_SZ) under HKEY_LOCAL_MACHINE, creating the key;
// false when the key cannot be created.
bool setMachineStrings(const std::string& keyPath,
                       const std::vector<std::pair<std::string, std::string>>& values);

// Waits for a launched child's end, at most timeoutMs; false when it still runs.
bool waitForExit(platform::ChildProcess& child, unsigned timeoutMs);

// Clicks OK on the next message box titled `caption` that appears within the
// time; false when none appeared. Wine's message boxes wait for a click.
bool dismissMessageBox(const std::string& caption, unsigned timeoutMs);

}  // namespace winesupport

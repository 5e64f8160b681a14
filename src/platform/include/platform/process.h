#pragma once
#include <chrono>
#include <memory>
#include <string>

#include "platform/error.h"

namespace platform {

constexpr int waitFailedExitCode = -1;

// A started child whose three standard streams are pipes owned by this object.
// Destroying it closes every pipe end and handle once.
class ChildProcess {
public:
    virtual ~ChildProcess() = default;

    // Serves the calling thread's window messages and drains both output pipes
    // into the two byte strings until the child has ended or the slice is over.
    // Returns true once the child has ended and everything it wrote is appended.
    virtual bool waitSlice(std::chrono::milliseconds slice, std::string& outBytes,
                           std::string& errBytes) = 0;
    // Writes bytes to the child's standard input; returns false when it failed.
    virtual bool writeInput(const std::string& bytes) = 0;
    // The exit code, valid once waitSlice has returned true; waitFailedExitCode
    // when waiting for the child failed, which also ends the wait.
    virtual int exitCode() const = 0;
};

// Starts hidden console processes with redirected standard streams.
// The command line follows the Windows rules on both systems: double quotes
// group, a backslash before a quote escapes it. On Linux a first word ending
// in ".sh" runs through /bin/sh; nothing else passes through a shell.
class ProcessLauncher {
public:
    virtual ~ProcessLauncher() = default;
    virtual Result<std::unique_ptr<ChildProcess>> launch(const std::string& commandLine) = 0;
};

}  // namespace platform

#pragma once
#include <chrono>
#include <string>

#include "platform/launcher_services.h"

struct JavaVM_;

namespace Harvella {

// Hosts the Java server inside this process: loads the runtime library from
// the registered Java folder, creates one VM and runs the server's main class
// until it returns. One host, used once, per process: a runtime cannot
// create a second VM after the first was destroyed.
class JavaVmHost {
public:
    // How long the VM may take to end once the server's main has returned:
    // the manager's stop waits about 8 s for STOPPED.
    static constexpr std::chrono::milliseconds defaultDestroyLimit{5000};

    explicit JavaVmHost(platform::LauncherServices& services,
                        std::chrono::milliseconds destroyLimit = defaultDestroyLimit);
    JavaVmHost(const JavaVmHost&) = delete;
    JavaVmHost& operator=(const JavaVmHost&) = delete;

    // Loads the library with its own folder current and resolves the two
    // JNI entry points.
    void loadJvmLibrary();
    // Blocks in the server's main. Every uncaught throwable becomes a
    // JavaError, one with an empty message too (a crash must not read as a
    // clean stop), after the VM has been destroyed; earlier failures leave
    // the VM alive. A
    // VM that does not end within the destroy limit (the server left threads
    // running, which the VM waits for) is left behind with an error.
    void runJavaServer();
    // The VM was left behind with the server's threads still running in
    // this process: it must end without the clean-up that would run under them.
    bool serverThreadsLeft() const { return serverThreadsLeft_; }

private:
    // Ends the VM from a thread of its own; false when it has not ended in time.
    bool destroyVm(JavaVM_* vm);

    platform::LauncherServices& services_;
    std::chrono::milliseconds destroyLimit_;
    platform::LibraryHandle library_ = 0;
    bool serverThreadsLeft_ = false;
    bool loaded_ = false;
    void* createJavaVm_ = nullptr;
    void* getDefaultInitArgs_ = nullptr;
};

}  // namespace Harvella

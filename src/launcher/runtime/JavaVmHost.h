#pragma once
#include <string>

#include "platform/launcher_services.h"

namespace Harvella {

// Hosts the Java server inside this process: loads the runtime library from
// the registered Java folder, creates one VM and runs the server's main class
// until it returns. One host, used once, per process: a runtime cannot
// create a second VM after the first was destroyed.
class JavaVmHost {
public:
    explicit JavaVmHost(platform::LauncherServices& services);
    JavaVmHost(const JavaVmHost&) = delete;
    JavaVmHost& operator=(const JavaVmHost&) = delete;

    // Loads the library with its own folder current and resolves the two
    // JNI entry points.
    void loadJvmLibrary();
    // Blocks in the server's main. An uncaught throwable becomes a JavaError
    // after the VM has been destroyed; earlier failures leave the VM alive.
    void runJavaServer();

private:
    platform::LauncherServices& services_;
    platform::LibraryHandle library_ = 0;
    bool loaded_ = false;
    void* createJavaVm_ = nullptr;
    void* getDefaultInitArgs_ = nullptr;
};

}  // namespace Harvella

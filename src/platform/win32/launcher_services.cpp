// Wires the Win32 implementations of the launcher's own seams.
#include "launcher_seams.h"

namespace platform {
namespace win32 {
namespace {

const LauncherConventions& conventions() {
    static const LauncherConventions host{"\\", "bin", "server\\jvm.dll"};
    return host;
}

class Win32LauncherSystem final : public LauncherSystem {
public:
    LauncherServices& services() override { return services_; }

private:
    Win32Registry registry_;
    Win32EventLog eventLog_;
    Win32LauncherFiles files_;
    Win32DynamicLibraries libraries_;
    Win32WorkingDirectory workingDirectory_;
    Win32Network network_;
    Win32Shell shell_;
    LauncherServices services_{registry_,         eventLog_, files_, libraries_,
                               workingDirectory_, network_,  shell_, conventions()};
};

}  // namespace
}  // namespace win32

std::unique_ptr<LauncherSystem> makeLauncherServices() {
    return std::make_unique<win32::Win32LauncherSystem>();
}

}  // namespace platform

// Wires the POSIX implementations of the launcher's own seams.
#include "platform/launcher_services.h"
#include "dynamic_library.h"
#include "launcher_files.h"
#include "network.h"
#include "stand_ins/event_log.h"
#include "stand_ins/registry.h"

namespace platform {
namespace posix {
namespace {

const LauncherConventions& conventions() {
    static const LauncherConventions host{"/", "lib", "server/libjvm.so"};
    return host;
}

class PosixLauncherSystem final : public LauncherSystem {
public:
    LauncherServices& services() override { return services_; }

private:
    PosixRegistry registry_;
    PosixEventLog eventLog_;
    PosixLauncherFiles files_;
    PosixDynamicLibraries libraries_;
    PosixWorkingDirectory workingDirectory_;
    PosixNetwork network_;
    XdgShell shell_;
    LauncherServices services_{registry_,         eventLog_, files_, libraries_,
                               workingDirectory_, network_,  shell_, conventions()};
};

}  // namespace
}  // namespace posix

std::unique_ptr<LauncherSystem> makeLauncherServices() {
    return std::make_unique<posix::PosixLauncherSystem>();
}

}  // namespace platform

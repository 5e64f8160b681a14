#include "service/ServiceEntry.h"

#include "platform/launcher_services.h"
#include "platform/platform.h"
#include "platform/service_manager.h"
#include "runtime/JavaVmHost.h"
#include "service/ServiceProcess.h"

namespace Harvella {

void runStartAsService(int argc, char** argv) {
    const auto system = platform::makeSystemServices(argc, argv);
    const auto launcher = platform::makeLauncherServices();
    const auto dispatcher = platform::makeSystemServiceDispatcher();
    JavaVmHost javaHost(launcher->services());
    ServiceProcessContext context{*dispatcher, launcher->services(), system->services().clock,
                                  [&javaHost] { javaHost.runJavaServer(); }};
    ServiceProcess(context).runAsService();
}

}  // namespace Harvella

#include "service/ServiceEntry.h"

#include "platform/service_manager.h"
#include "runtime/JavaVmHost.h"
#include "service/ServiceProcess.h"

namespace Harvella {

void runStartAsService(platform::LauncherServices& launcher, platform::Clock& clock) {
    const auto dispatcher = platform::makeSystemServiceDispatcher();
    JavaVmHost javaHost(launcher);
    ServiceProcessContext context{*dispatcher, launcher, clock,
                                  [&javaHost] { javaHost.runJavaServer(); }};
    ServiceProcess(context).runAsService();
}

}  // namespace Harvella

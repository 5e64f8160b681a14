#include "service/ServiceEntry.h"

#include <cstdlib>

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
    // The service has reported STOPPED, but the server's threads run on in
    // the VM left behind: the process ends here, without the clean-up that
    // would run under them, so that the manager sees it gone.
    if (javaHost.serverThreadsLeft()) std::_Exit(0);
}

}  // namespace Harvella

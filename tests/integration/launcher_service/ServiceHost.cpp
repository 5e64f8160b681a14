// The launcher's verb startAsService, wired with the real services: what the
// service manager starts as the Harvella service. Exits 0 once the service
// has ended, or at once when it was not started by the manager.
#include "platform/launcher_services.h"
#include "platform/platform.h"
#include "platform/service_manager.h"
#include "runtime/JavaVmHost.h"
#include "service/ServiceProcess.h"

int main(int argc, char** argv) {
    const auto system = platform::makeSystemServices(argc, argv);
    const auto launcher = platform::makeLauncherServices();
    const auto dispatcher = platform::makeSystemServiceDispatcher();
    Harvella::JavaVmHost javaHost(launcher->services());
    Harvella::ServiceProcessContext context{*dispatcher, launcher->services(),
                                            system->services().clock,
                                            [&javaHost] { javaHost.runJavaServer(); }};
    Harvella::ServiceProcess(context).runAsService();
    return 0;
}

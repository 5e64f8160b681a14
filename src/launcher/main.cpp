// Harvella_Access: wires the real services and runs the one verb of the
// command line.
#include "frontend/Launcher.h"
#include "service/ServiceEntry.h"

int main(int argc, char** argv) {
    const auto system = platform::makeSystemServices(argc, argv);
    const auto launcher = platform::makeLauncherServices();
    const auto program = platform::makeSystemProgramFile();
    const auto dialogs = platform::makeProgressDialogs();
    platform::Services& services = system->services();
    Harvella::ServiceMan::Context serviceMan{services.serviceManager, *program,
                                             launcher->services(), services.clock};
    Harvella::LauncherContext context{
        services, serviceMan, launcher->services(), *dialogs,
        [&] { Harvella::runStartAsService(launcher->services(), services.clock); }};
    return Harvella::launcherMain(context, services.console.argumentLine());
}

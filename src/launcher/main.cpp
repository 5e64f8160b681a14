// Harvella_Access: wires the real platform services for the launcher.
#include "platform/launcher_services.h"
#include "platform/platform.h"

int main(int argc, char** argv) {
    const auto system = platform::makeSystemServices(argc, argv);
    const auto launcher = platform::makeLauncherServices();
    return 0;
}

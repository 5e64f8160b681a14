// Harvella_Access: one verb per process. The service process (startAsService)
// is built; the other verbs come with the launcher's front end.
#include <cstring>

#include "platform/platform.h"
#include "service/ServiceEntry.h"

int main(int argc, char** argv) {
    if (argc == 2 && std::strcmp(argv[1], "startAsService") == 0) {
        Harvella::runStartAsService(argc, argv);
        return 0;
    }
    const auto system = platform::makeSystemServices(argc, argv);
    system->services().console.writeStdErr(
        "Harvella_Access: this verb is not available in this build; only startAsService is.\n");
    return -1;
}

// harvella-sc: creates, deletes, starts, stops and queries the services of
// the Linux stand-in. Its start and stop stand where Windows runs net start
// and net stop.
#include <iostream>

#include "ScCommands.h"

namespace {

constexpr int usageError = 1;

int usage() {
    std::cerr << "Usage: harvella-sc create NAME binPath= CMD [DisplayName= X] [start= auto|demand]"
                 " [depend= A/B] [type= own|daemon]\n"
                 "       harvella-sc delete|start|stop|query|qc NAME\n"
                 "       harvella-sc description NAME TEXT\n";
    return usageError;
}

}  // namespace

int main(int argc, char** argv) {
    const harvellasc::Arguments args(argv + 1, argv + argc);
    if (args.size() < 2) return usage();
    const std::string& command = args[0];
    const std::string& name = args[1];
    if (command == "create") return harvellasc::create(args, std::cout, std::cerr);
    if (command == "description" && args.size() == 3)
        return harvellasc::describe(name, args[2], std::cout, std::cerr);
    if (args.size() != 2) return usage();
    if (command == "delete") return harvellasc::remove(name, std::cout, std::cerr);
    if (command == "start") return harvellasc::startAndWait(name, std::cout, std::cerr);
    if (command == "stop") return harvellasc::stopAndWait(name, std::cout, std::cerr);
    if (command == "query") return harvellasc::query(name, std::cout, std::cerr);
    if (command == "qc") return harvellasc::queryConfig(name, std::cout, std::cerr);
    return usage();
}

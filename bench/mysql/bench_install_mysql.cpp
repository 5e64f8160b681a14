// The wall time of the "InstallMySQL" action on the test MySQL package and
// the product database fixture, beside the pauses the flow must take: the
// server's 15 s after its start and every 3 s poll of the service state. The
// difference is the utility's own work plus the server's. Three installations
// on a fresh stand-in machine, each removed again ("Uninstall") afterwards.
#include <sys/stat.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>

#include "frame/ActionArguments.h"
#include "mysql/MySQLDBInstaller.h"
#include "support/TestSupport.h"

namespace {

constexpr int installations = 3;

// The system clock, counting the time the program is asked to sleep.
class SleepCountingClock final : public platform::Clock {
public:
    explicit SleepCountingClock(platform::Clock& real) : real_(real) {}
    std::chrono::milliseconds monotonicNow() override { return real_.monotonicNow(); }
    platform::LocalTime localNow() override { return real_.localNow(); }
    void sleep(std::chrono::milliseconds duration) override {
        slept += duration;
        real_.sleep(duration);
    }
    std::chrono::milliseconds slept{0};

private:
    platform::Clock& real_;
};

void runAction(platform::Services& services, const std::string& install, const std::string& word) {
    const std::string bin = testsupport::binDir();
    Quimbo::Args args = Quimbo::SplitArgumentLine(
        "1|" + install + "|MySQL|harvella.config|0|0|0|0|0|0|" + word + "|" + bin +
        "/porttool|/usr/bin/unzip|" MYSQL_PACKAGE_ZIP "|" MYSQL_PACKAGE_FOLDER_NAME "|HvBench|");
    int count = static_cast<int>(args.size());
    Quimbo::MySQLDBInstaller installer(services);
    installer.Initialize(args, count);
    // A failure ends the program with its number, its text on standard output.
    installer.MakeDBAction();
}

}  // namespace

int main() {
    testsupport::TempFolder machine;
    ::chmod(machine.path().c_str(), 0755);
    const std::string install = machine / "Harvella Server";
    for (const std::string folder : {"system", "temp", "Harvella Server/database"})
        testsupport::makeFolders(machine / folder);
    std::filesystem::copy(MYSQL_SCRIPTS_DIR, install + "/database/scripts");
    testsupport::writeFile(install + "/harvella.config", "IPaddress=127.0.0.1\r\n");
    ::setenv("PATH", (testsupport::binDir() + ":" + std::getenv("PATH")).c_str(), 1);
    ::setenv("HARVELLA_SYSTEM_ROOT", (machine / "system").c_str(), 1);
    ::setenv("TMPDIR", (machine / "temp").c_str(), 1);

    char name[] = "bench_install_mysql";
    char* argv[] = {name, nullptr};
    auto system = platform::makeSystemServices(1, argv);
    SleepCountingClock clock(system->services().clock);
    platform::Services services = system->services();
    platform::Services counted{services.files,
                               services.processes,
                               services.console,
                               services.messageBoxes,
                               services.codePages,
                               services.errors,
                               clock,
                               services.random,
                               services.conventions,
                               services.windows,
                               services.databases,
                               services.serviceManager,
                               services.forms};

    for (int run = 1; run <= installations; ++run) {
        clock.slept = std::chrono::milliseconds(0);
        const auto start = std::chrono::steady_clock::now();
        runAction(counted, install, "InstallMySQL");
        const double wall =
            std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        const double slept = clock.slept.count() / 1000.0;
        std::printf(
            "InstallMySQL %d: wall %.2f s, prescribed sleeps %.2f s (15 s warm-up, %d polls"
            " of 3 s), beyond them %.2f s (target at most 10 s)\n",
            run, wall, slept, static_cast<int>((slept - 15) / 3 + 0.5), wall - slept);
        runAction(counted, install, "Uninstall");
    }
    return 0;
}

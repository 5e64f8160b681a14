// What the client layer costs on top of the client itself: sqlExec of
// "select 1;" (command file, options file, statement file, shell, redirected
// streams) against a direct run of the same client with the same options file,
// both through the utility's process runner, interleaved, 50 runs each, on a
// private MariaDB server. Prints both medians and their ratio.
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <vector>

#include "MariaDBServer.h"
#include "frame/CommandLineQuoting.h"
#include "frame/ExecCmdModule.h"
#include "mysql/MySQLManager.h"
#include "support/TestSupport.h"

namespace {

constexpr int runs = 50;

double median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return (values[runs / 2 - 1] + values[runs / 2]) / 2;
}

template <class F>
double millisecondsOf(F&& run) {
    const auto start = std::chrono::steady_clock::now();
    run();
    return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start)
        .count();
}

}  // namespace

int main() {
    testsupport::TempFolder folder;
    const std::string home = folder / "MySQL";
    testsupport::makeFolders(home + "/bin");
    std::filesystem::create_symlink("/usr/bin/mariadb", home + "/bin/mysql");
    const auto server = mariadbtest::PrivateMariaDBServer::start(folder / "server");
    struct Stop {
        std::string folder;
        ~Stop() { mariadbtest::PrivateMariaDBServer::stop(folder); }
    } stop{folder / "server"};

    char name[] = "bench";
    char* argv[] = {name, nullptr};
    auto system = platform::makeSystemServices(1, argv);
    platform::Services& services = system->services();
    Quimbo::FileSystemObject fso(services.files, services.random, services.conventions);
    Quimbo::MySQLManager manager(services);
    manager.Initialize(fso);
    const Quimbo::MySQLConnection connection{
        home, "127.0.0.1", std::to_string(server.port), "root", server.rootPassword, ""};

    const std::string options = folder / "client.cnf";
    services.files.createNewFile(options, Quimbo::ClientOptionsText(connection));
    const std::string direct = Quimbo::QuoteArgument(home + "/bin/mysql") +
                               " --defaults-file=" + Quimbo::QuoteArgument(options) +
                               " --default-character-set=utf8 -B -f -e \"select 1;\"";

    std::vector<double> layer, client;
    for (int i = 0; i < runs; ++i) {
        layer.push_back(millisecondsOf([&] {
            auto result = manager.sqlExec(connection, "select 1;");
            if (Quimbo::MySQLManager::sqlGet(Quimbo::MySQLManager::sqlNext(result), 0) != "1") {
                std::fprintf(stderr, "sqlExec failed: %s\n", result.error().c_str());
                std::exit(1);
            }
        }));
        client.push_back(millisecondsOf([&] {
            std::string errText, outText;
            if (Quimbo::ExecCmd(services, direct, errText, outText) != 0) {
                std::fprintf(stderr, "client failed: %s\n", errText.c_str());
                std::exit(1);
            }
        }));
    }
    const double layerMedian = median(layer), clientMedian = median(client);
    std::printf("sqlExec \"select 1;\": median %.2f ms over %d runs\n", layerMedian, runs);
    std::printf("direct client run:   median %.2f ms over %d runs\n", clientMedian, runs);
    std::printf("ratio: %.2f (budget 1.50)\n", layerMedian / clientMedian);
    return 0;
}

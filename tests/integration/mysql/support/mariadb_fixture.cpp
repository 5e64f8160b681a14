// Starts or stops the private MariaDB server that the MySQL integration tests
// share: CTest runs "start" before the first of them and "stop" after the
// last, also when some failed.
#include <iostream>
#include <string>

#include "MariaDBServer.h"

int main(int argc, char** argv) {
    if (argc != 3) {
        std::cerr << "usage: mariadb_fixture start|stop FOLDER\n";
        return 2;
    }
    const std::string verb = argv[1];
    try {
        if (verb == "start") {
            const auto address = mariadbtest::PrivateMariaDBServer::start(argv[2]);
            std::cout << "private MariaDB server on 127.0.0.1:" << address.port << "\n";
            return 0;
        }
        if (verb == "stop") {
            mariadbtest::PrivateMariaDBServer::stop(argv[2]);
            return 0;
        }
    } catch (const std::exception& failure) {
        std::cerr << failure.what() << "\n";
        return 1;
    }
    std::cerr << "unknown verb " << verb << "\n";
    return 2;
}

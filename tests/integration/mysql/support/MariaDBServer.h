#pragma once
#include <optional>
#include <string>

namespace mariadbtest {

// Where the private server listens and how root gets in.
struct ServerAddress {
    int port = 0;
    std::string rootPassword;
};

// A private MariaDB server (Debian's mariadbd) with its own data folder, on a
// free loopback port, with a known root password. Its state lives in one
// folder, so the process that stops it need not be the one that started it.
class PrivateMariaDBServer {
public:
    // Stops whatever an earlier, interrupted run left in the folder, then
    // initialises a fresh data folder there and starts the server. Throws when
    // the server does not come up.
    static ServerAddress start(const std::string& folder);
    // The address of the server running from the folder, if there is one.
    static std::optional<ServerAddress> find(const std::string& folder);
    // Ends the server (TERM, then KILL after 30 s) and removes the folder.
    static void stop(const std::string& folder);
};

}  // namespace mariadbtest

#include "MariaDBServer.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <signal.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <random>
#include <stdexcept>
#include <thread>
#include <vector>

#include "support/TestSupport.h"

namespace mariadbtest {
namespace {

const char* const rootPassword = "Fixture7Root";
constexpr auto startBudget = std::chrono::seconds(60);
constexpr auto stopBudget = std::chrono::seconds(30);

bool bindable(int port) {
    const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(static_cast<uint16_t>(port));
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    const bool bound = ::bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0;
    ::close(fd);
    return bound;
}

// The utility keeps ports in 16 signed bits, and the system's ephemeral ports
// start above them: look below, from a random start so parallel runs differ.
int freeLoopbackPort() {
    constexpr int first = 20000, count = 12000;
    const int start = static_cast<int>(std::random_device{}() % count);
    for (int i = 0; i < count; ++i) {
        const int port = first + (start + i) % count;
        if (bindable(port)) return port;
    }
    throw std::runtime_error("no free loopback port below 32000");
}

// The server runs in its own session, so that it outlives the process that
// started it (the fixture's start step) and no terminal signal reaches it.
pid_t spawnServer(const std::vector<std::string>& arguments, const std::string& log) {
    std::vector<char*> argv;
    for (const std::string& argument : arguments)
        argv.push_back(const_cast<char*>(argument.c_str()));
    argv.push_back(nullptr);
    const pid_t pid = ::fork();
    if (pid == 0) {
        ::setsid();
        const int out = ::open(log.c_str(), O_WRONLY | O_CREAT | O_APPEND, 0600);
        const int in = ::open("/dev/null", O_RDONLY);
        ::dup2(in, 0);
        ::dup2(out, 1);
        ::dup2(out, 2);
        ::execv(argv[0], argv.data());
        ::_exit(127);
    }
    if (pid < 0) throw std::runtime_error("cannot fork the server");
    return pid;
}

bool alive(pid_t pid) {
    int status = 0;
    if (::waitpid(pid, &status, WNOHANG) == pid) return false;  // our child, ended
    return ::kill(pid, 0) == 0;
}

// Only a server that runs from this folder is ours to end.
bool runsFrom(pid_t pid, const std::string& dataFolder) {
    const std::string cmdline = testsupport::readFile("/proc/" + std::to_string(pid) + "/cmdline");
    return cmdline.find("--datadir=" + dataFolder) != std::string::npos;
}

// True once this server is ready; false when it ended first (its port was
// taken in the meantime). Its own log says so, not a connect, which another
// server on the same port would answer as well.
bool becameReady(pid_t pid, const std::string& log) {
    const auto deadline = std::chrono::steady_clock::now() + startBudget;
    while (testsupport::readFile(log).find("ready for connections") == std::string::npos) {
        if (!alive(pid)) return false;
        if (std::chrono::steady_clock::now() > deadline)
            throw std::runtime_error("the private MariaDB server did not start:\n" +
                                     testsupport::readFile(log));
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    return true;
}

}  // namespace

ServerAddress PrivateMariaDBServer::start(const std::string& folder) {
    stop(folder);
    testsupport::makeFolders(folder);
    const std::string data = folder + "/data";
    const std::string log = folder + "/server.log";
    const auto installed = testsupport::runProgram(
        "mariadb-install-db --no-defaults --datadir=\"" + data +
        "\" --user=root --auth-root-authentication-method=normal --skip-test-db");
    if (installed.exitCode != 0)
        throw std::runtime_error("mariadb-install-db failed:\n" + installed.err + installed.out);

    constexpr int attempts = 5;
    int port = 0;
    for (int attempt = 1;; ++attempt) {
        port = freeLoopbackPort();
        const pid_t pid = spawnServer(
            {"/usr/sbin/mariadbd", "--no-defaults", "--datadir=" + data, "--user=root",
             "--port=" + std::to_string(port), "--bind-address=127.0.0.1",
             "--socket=" + folder + "/server.sock", "--pid-file=" + folder + "/server.pid",
             "--innodb-buffer-pool-size=32M", "--skip-log-bin"},
            log);
        testsupport::writeFile(folder + "/pid", std::to_string(pid));
        if (becameReady(pid, log)) break;
        if (attempt == attempts)
            throw std::runtime_error("the private MariaDB server did not start:\n" +
                                     testsupport::readFile(log));
    }

    std::string statements;
    for (const char* host : {"localhost", "127.0.0.1", "::1"})
        statements += std::string("ALTER USER IF EXISTS 'root'@'") + host + "' IDENTIFIED BY '" +
                      rootPassword + "'; ";
    const auto secured =
        testsupport::runProgram("mariadb --no-defaults -h127.0.0.1 -P" + std::to_string(port) +
                                " -uroot -e \"" + statements + "\"");
    if (secured.exitCode != 0)
        throw std::runtime_error("cannot set the root password: " + secured.err);
    testsupport::writeFile(folder + "/port", std::to_string(port));
    return ServerAddress{port, rootPassword};
}

std::optional<ServerAddress> PrivateMariaDBServer::find(const std::string& folder) {
    const std::string port = testsupport::readFile(folder + "/port");
    if (port.empty()) return std::nullopt;
    return ServerAddress{std::stoi(port), rootPassword};
}

void PrivateMariaDBServer::stop(const std::string& folder) {
    const std::string pidText = testsupport::readFile(folder + "/pid");
    if (!pidText.empty()) {
        const pid_t pid = static_cast<pid_t>(std::stol(pidText));
        if (alive(pid) && runsFrom(pid, folder + "/data")) {
            ::kill(pid, SIGTERM);
            const auto deadline = std::chrono::steady_clock::now() + stopBudget;
            while (alive(pid) && std::chrono::steady_clock::now() < deadline)
                std::this_thread::sleep_for(std::chrono::milliseconds(50));
            if (alive(pid)) ::kill(pid, SIGKILL);
        }
    }
    std::error_code ignored;
    std::filesystem::remove_all(folder, ignored);
}

}  // namespace mariadbtest

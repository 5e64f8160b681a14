#include "LauncherMachine.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <spawn.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <stdexcept>
#include <thread>

extern char** environ;

namespace launchertest {

LauncherMachine::LauncherMachine() {
    std::filesystem::create_directories(installFolder() + "/run");
    ::setenv("HARVELLA_SYSTEM_ROOT", root().c_str(), 1);
}

LauncherMachine::~LauncherMachine() {
    ::unsetenv("HARVELLA_SYSTEM_ROOT");
}

void LauncherMachine::setProductValues(const std::string& valuesFileText) {
    const std::string key = root() + "/registry/HKEY_LOCAL_MACHINE/SOFTWARE/Brenwick/Harvella";
    std::filesystem::create_directories(key);
    writeFile(key + "/values", valuesFileText);
}

bool exists(const std::string& path) {
    return std::filesystem::exists(path);
}

unsigned short freeLoopbackPort() {
    const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in where{};
    where.sin_family = AF_INET;
    where.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t size = sizeof where;
    ::bind(fd, reinterpret_cast<sockaddr*>(&where), sizeof where);
    ::getsockname(fd, reinterpret_cast<sockaddr*>(&where), &size);
    ::close(fd);
    return ntohs(where.sin_port);
}

PortListener::PortListener(const char* address) : fd_(::socket(AF_INET, SOCK_STREAM, 0)) {
    sockaddr_in where{};
    where.sin_family = AF_INET;
    where.sin_addr.s_addr = ::inet_addr(address);
    socklen_t size = sizeof where;
    ::bind(fd_, reinterpret_cast<sockaddr*>(&where), sizeof where);
    ::listen(fd_, 1);
    ::getsockname(fd_, reinterpret_cast<sockaddr*>(&where), &size);
    port_ = std::to_string(ntohs(where.sin_port));
}

PortListener::~PortListener() {
    ::close(fd_);
}

BackgroundProgram::BackgroundProgram(const std::string& program, const std::string& argument) {
    int pipeEnds[2];
    if (::pipe2(pipeEnds, O_CLOEXEC) != 0) throw std::runtime_error("pipe failed");
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, pipeEnds[1], STDOUT_FILENO);
    char* arguments[] = {const_cast<char*>(program.c_str()), const_cast<char*>(argument.c_str()),
                         nullptr};
    const int failed = ::posix_spawn(&pid_, program.c_str(), &actions, nullptr, arguments, environ);
    posix_spawn_file_actions_destroy(&actions);
    ::close(pipeEnds[1]);
    output_ = pipeEnds[0];
    if (failed) pid_ = -1;
}

BackgroundProgram::~BackgroundProgram() {
    if (pid_ > 0) {
        ::kill(pid_, SIGKILL);
        ::waitpid(pid_, nullptr, 0);
    }
    if (output_ >= 0) ::close(output_);
}

Outcome BackgroundProgram::wait() {
    Outcome outcome;
    if (pid_ <= 0) return outcome;
    int status = 0;
    pid_t ended = 0;
    for (int waited = 0; (ended = ::waitpid(pid_, &status, WNOHANG)) == 0 && waited < 60000;
         waited += 20)
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    if (ended != pid_) return outcome;  // the destructor kills it
    pid_ = -1;
    char buffer[4096];
    ssize_t n = 0;
    while ((n = ::read(output_, buffer, sizeof buffer)) > 0)
        outcome.out.append(buffer, n);
    outcome.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return outcome;
}

bool waitForFile(const std::string& path, bool present, int timeoutMs) {
    for (int waited = 0; waited < timeoutMs; waited += 20) {
        if (exists(path) == present) return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    return exists(path) == present;
}

std::string httpGet(const std::string& port, const std::string& path) {
    const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in where{};
    where.sin_family = AF_INET;
    where.sin_port = htons(static_cast<unsigned short>(std::stoi(port)));
    where.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    std::string answer;
    if (::connect(fd, reinterpret_cast<sockaddr*>(&where), sizeof where) == 0) {
        const std::string request = "GET " + path + " HTTP/1.0\r\n\r\n";
        if (::write(fd, request.data(), request.size()) == static_cast<ssize_t>(request.size())) {
            char buffer[4096];
            for (ssize_t n; (n = ::read(fd, buffer, sizeof buffer)) > 0;)
                answer.append(buffer, static_cast<std::size_t>(n));
        }
    }
    ::close(fd);
    return answer;
}

}  // namespace launchertest

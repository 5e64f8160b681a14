// IPv4 sockets with WinSock's error numbers, and the desktop's URL opener.
#include "network.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <netdb.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>

#include "unique_fd.h"

namespace platform::posix {
namespace {

constexpr int xdgOpenPatienceMs = 3000;

ErrorCode wsaFromErrno(int e) {
    switch (e) {
        case EADDRINUSE:
            return 10048;  // WSAEADDRINUSE
        case EADDRNOTAVAIL:
            return 10049;  // WSAEADDRNOTAVAIL
        case EACCES:
            return 10013;  // WSAEACCES
        case EMFILE:
        case ENFILE:
            return 10024;  // WSAEMFILE
        default:
            return 10022;  // WSAEINVAL
    }
}

// The program's full path from PATH, found before forking so that the child
// only calls what is safe in a copy of a threaded process.
std::string findOnPath(const std::string& program) {
    const char* path = std::getenv("PATH");
    std::string folders = path ? path : "";
    std::size_t start = 0;
    while (start <= folders.size()) {
        std::size_t end = folders.find(':', start);
        if (end == std::string::npos) end = folders.size();
        const std::string folder = end > start ? folders.substr(start, end - start) : ".";
        const std::string candidate = folder + "/" + program;
        if (::access(candidate.c_str(), X_OK) == 0) return candidate;
        start = end + 1;
    }
    return std::string();
}

}  // namespace

ErrorCode PosixNetwork::startup(int, int) {
    return winerr::success;
}

void PosixNetwork::cleanup() {}

ErrorCode PosixNetwork::tryBind(const std::string& address, std::uint16_t port) {
    Fd fd(::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, IPPROTO_TCP));
    if (!fd.open()) return wsaFromErrno(errno);
    // Windows binds a port whose only connections wait in TIME_WAIT. Linux
    // does so with SO_REUSEADDR when those connections had it as well (a
    // JVM's server sockets do); a port that a socket listens on stays taken.
    const int reuse = 1;
    ::setsockopt(fd.get(), SOL_SOCKET, SO_REUSEADDR, &reuse, sizeof reuse);
    sockaddr_in where{};
    where.sin_family = AF_INET;
    where.sin_port = htons(port);
    where.sin_addr.s_addr = ::inet_addr(address.c_str());
    // Text that is no IPv4 address ("::1", a name) becomes 255.255.255.255,
    // which Windows refuses to bind and Linux binds.
    if (where.sin_addr.s_addr == INADDR_NONE) return wsaFromErrno(EADDRNOTAVAIL);
    if (::bind(fd.get(), reinterpret_cast<const sockaddr*>(&where), sizeof where) != 0)
        return wsaFromErrno(errno);
    return winerr::success;
}

Result<std::string> PosixNetwork::hostName(std::size_t bufferSize) {
    std::string buffer(bufferSize, '\0');
    if (bufferSize == 0 || ::gethostname(&buffer[0], bufferSize) != 0 ||
        buffer.find('\0') == std::string::npos)
        return Result<std::string>::failure(10014);  // WSAEFAULT: the buffer is too small
    return {buffer.substr(0, buffer.find('\0')), winerr::success};
}

Result<std::vector<std::string>> PosixNetwork::hostAddresses(const std::string& hostName) {
    addrinfo hints{};
    hints.ai_family = AF_INET;
    hints.ai_socktype = SOCK_STREAM;
    addrinfo* found = nullptr;
    if (::getaddrinfo(hostName.c_str(), nullptr, &hints, &found) != 0)
        return Result<std::vector<std::string>>::failure(11001);  // WSAHOST_NOT_FOUND
    std::vector<std::string> addresses;
    for (const addrinfo* entry = found; entry; entry = entry->ai_next) {
        char text[INET_ADDRSTRLEN] = {};
        const auto* in = reinterpret_cast<const sockaddr_in*>(entry->ai_addr);
        ::inet_ntop(AF_INET, &in->sin_addr, text, sizeof text);
        if (std::find(addresses.begin(), addresses.end(), text) == addresses.end())
            addresses.push_back(text);
    }
    ::freeaddrinfo(found);
    return {addresses, winerr::success};
}

std::intptr_t XdgShell::openInExplorer(std::uintptr_t, const std::string& url) {
    constexpr std::intptr_t outOfResources = 0, fileNotFound = 2, noAssociation = 31, launched = 33;
    const std::string opener = findOnPath("xdg-open");
    if (opener.empty()) return fileNotFound;
    int report[2];
    if (::pipe2(report, O_CLOEXEC) != 0) return outOfResources;
    Fd reportRead(report[0]), reportWrite(report[1]);
    // A watcher that nobody has to wait for runs xdg-open and reports how it
    // ended, so that a browser kept in the foreground holds nothing here.
    const pid_t watcher = ::fork();
    if (watcher < 0) return outOfResources;
    if (watcher == 0) {
        ::setsid();
        if (::fork() != 0) ::_exit(0);
        const pid_t child = ::fork();
        if (child < 0) ::_exit(0);
        if (child == 0) {
            ::execl(opener.c_str(), "xdg-open", url.c_str(), static_cast<char*>(nullptr));
            ::_exit(127);
        }
        int status = 0;
        while (::waitpid(child, &status, 0) < 0 && errno == EINTR) {
        }
        (void)!::write(reportWrite.get(), &status, sizeof status);
        ::_exit(0);
    }
    reportWrite.reset();
    while (::waitpid(watcher, nullptr, 0) < 0 && errno == EINTR) {
    }
    // xdg-open fails at once when nothing can open the address; one still at
    // work after that has handed it to a browser.
    pollfd ended{reportRead.get(), POLLIN, 0};
    if (::poll(&ended, 1, xdgOpenPatienceMs) <= 0) return launched;
    int status = 0;
    if (::read(reportRead.get(), &status, sizeof status) != sizeof status) return outOfResources;
    if (WIFEXITED(status) && WEXITSTATUS(status) == 0) return launched;
    return WIFEXITED(status) && WEXITSTATUS(status) == 127 ? fileNotFound : noAssociation;
}

}  // namespace platform::posix

#pragma once
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "platform/error.h"

namespace platform {

// IPv4 TCP sockets and this computer's names. Failures carry WinSock numbers
// on Windows and the matching WSA numbers on Linux.
class Network {
public:
    virtual ~Network() = default;
    // WSAStartup with the version; every success is matched by cleanup().
    virtual ErrorCode startup(int major, int minor) = 0;
    virtual void cleanup() = 0;
    // A TCP socket bound to inet_addr(address) and the port as Windows binds
    // without an option (a port with only TIME_WAIT entries is free), then
    // closed: 0 when both socket and bind succeeded; 10049 for an address
    // inet_addr cannot read.
    virtual ErrorCode tryBind(const std::string& address, std::uint16_t port) = 0;
    // gethostname into a buffer of that many bytes.
    virtual Result<std::string> hostName(std::size_t bufferSize) = 0;
    // gethostbyname's IPv4 addresses, in its order, as dotted text.
    virtual Result<std::vector<std::string>> hostAddresses(const std::string& hostName) = 0;
};

// The desktop's shell.
class Shell {
public:
    virtual ~Shell() = default;
    // ShellExecuteA(owner, "open", "explorer", url, NULL, SW_SHOWNORMAL):
    // above 32 on success, otherwise the shell's error value.
    virtual std::intptr_t openInExplorer(std::uintptr_t ownerWindow, const std::string& url) = 0;
};

}  // namespace platform

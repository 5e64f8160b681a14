#pragma once
#include "platform/network.h"

namespace platform::posix {

class PosixNetwork final : public Network {
public:
    ErrorCode startup(int major, int minor) override;
    void cleanup() override;
    ErrorCode tryBind(const std::string& address, std::uint16_t port) override;
    Result<std::string> hostName(std::size_t bufferSize) override;
    Result<std::vector<std::string>> hostAddresses(const std::string& hostName) override;
};

// Hands the address to xdg-open, detached from this process; xdg-open's
// failure is the opener's failure.
class XdgShell final : public Shell {
public:
    std::intptr_t openInExplorer(std::uintptr_t ownerWindow, const std::string& url) override;
};

}  // namespace platform::posix

#include "runtime/PortCheck.h"

#include <cstdint>
#include <optional>
#include <vector>

#include "runtime/HarvellaConfig.h"
#include "runtime/LauncherSettings.h"

namespace Harvella {
namespace {

constexpr const char* everyAddress = "0.0.0.0";

// The leading decimal digits; only the low 16 bits reach the bind, as with
// the original unsigned conversion. Nothing when a non-digit follows them.
std::optional<std::uint16_t> portNumber(const std::string& text) {
    std::uint32_t number = 0;
    for (const char c : text) {
        if (c < '0' || c > '9') return std::nullopt;
        number = number * 10 + static_cast<std::uint32_t>(c - '0');
    }
    return static_cast<std::uint16_t>(number & 0xFFFF);
}

// WinSock stays initialised for the object's lifetime.
class SocketSession {
public:
    SocketSession(platform::Network& network, int major, int minor)
        : network_(network), error_(network.startup(major, minor)) {}
    ~SocketSession() { end(); }
    SocketSession(const SocketSession&) = delete;
    SocketSession& operator=(const SocketSession&) = delete;

    platform::ErrorCode error() const { return error_; }
    void end() {
        if (error_ == platform::winerr::success && !ended_) network_.cleanup();
        ended_ = true;
    }

private:
    platform::Network& network_;
    platform::ErrorCode error_;
    bool ended_ = false;
};

}  // namespace

bool canBindPort(platform::Network& network, const std::string& address, const std::string& port) {
    const auto number = portNumber(port);
    if (!number) return true;
    SocketSession session(network, 2, 0);
    if (session.error() != platform::winerr::success) return false;
    return network.tryBind(address, *number) == platform::winerr::success;
}

bool isPortFree(platform::Network& network, const std::string& address, const std::string& port) {
    if (address != everyAddress) return canBindPort(network, address, port);
    SocketSession session(network, 1, 1);
    if (session.error() != platform::winerr::success) return false;
    // Without the host's list, the loopback address is the one left to test.
    std::vector<std::string> addresses;
    const auto hostName = network.hostName(100);
    if (hostName.ok()) addresses = network.hostAddresses(hostName.value).value;
    for (const std::string& hostAddress : addresses)
        if (!canBindPort(network, hostAddress, port)) return false;
    session.end();
    return canBindPort(network, "127.0.0.1", port);
}

std::string formatPortOccupiedMessage(const std::string& address, const std::string& port) {
    if (address == everyAddress)
        return "Port " + port + " on at least one of IP addresses is already occupied.";
    return "Port " + port + " on IP address " + address + " is already occupied.";
}

std::string portOccupiedMessage(platform::LauncherServices& services) {
    HarvellaConfig config(services, getInstallPath(services.registry));
    return formatPortOccupiedMessage(config.getIPAddress(), config.getHTTPPort());
}

}  // namespace Harvella

// porttool PORT ADDRESS: whether a TCP port can still be taken on an IPv4
// address of this computer (0.0.0.0: on every address). Exit code 0 when it
// is free, 1 when it is taken, 2 with the reason on standard error when the
// arguments are not a port and an address.
#include <iostream>
#include <string>

#include "platform/launcher_services.h"
#include "runtime/PortCheck.h"

namespace {

constexpr int portFree = 0;
constexpr int portTaken = 1;
constexpr int badArguments = 2;

// A decimal number from 0 to `highest`, digits only.
bool isNumberUpTo(const std::string& text, unsigned long highest) {
    if (text.empty() || text.size() > 5) return false;
    for (const char c : text)
        if (c < '0' || c > '9') return false;
    return std::stoul(text) <= highest;
}

bool isPort(const std::string& text) {
    return isNumberUpTo(text, 65535) && std::stoul(text) > 0;
}

// Four dotted decimal parts of 0 to 255.
bool isIPv4Address(const std::string& text) {
    std::size_t start = 0;
    for (int part = 0; part < 4; ++part) {
        const std::size_t dot = text.find('.', start);
        const bool last = part == 3;
        if (last != (dot == std::string::npos)) return false;
        const std::string piece = text.substr(start, last ? std::string::npos : dot - start);
        if (piece.size() > 3 || !isNumberUpTo(piece, 255)) return false;
        start = dot + 1;
    }
    return true;
}

int usage(const std::string& reason) {
    std::cerr << "porttool: " << reason << "\nUsage: porttool PORT ADDRESS\n"
              << "Exit code 0 when the TCP port is free on the IPv4 address (0.0.0.0: on every "
                 "address of this computer), 1 when it is taken.\n";
    return badArguments;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 3) return usage("two arguments expected.");
    const std::string port = argv[1], address = argv[2];
    if (!isPort(port)) return usage("\"" + port + "\" is not a port number from 1 to 65535.");
    if (!isIPv4Address(address)) return usage("\"" + address + "\" is not an IPv4 address.");

    const auto launcher = platform::makeLauncherServices();
    platform::Network& network = launcher->services().network;
    // A bind on every address can succeed beside a server that holds one
    // address only (Windows allows it), so each address is tried as well.
    const bool free = address == "0.0.0.0" ? Harvella::canBindPort(network, address, port) &&
                                                 Harvella::isPortFree(network, address, port)
                                           : Harvella::canBindPort(network, address, port);
    return free ? portFree : portTaken;
}

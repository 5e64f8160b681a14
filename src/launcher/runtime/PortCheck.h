#pragma once
// Whether the server's HTTP port can still be taken on its configured address.
#include <string>

#include "platform/launcher_services.h"

namespace Harvella {

// One bind attempt on the address. A port text with anything but digits
// after its leading digits cannot be tested and counts as free; a failure to
// get a socket counts as taken.
bool canBindPort(platform::Network& network, const std::string& address, const std::string& port);
// For "0.0.0.0": every address of this computer, then the loopback address.
bool isPortFree(platform::Network& network, const std::string& address, const std::string& port);

std::string formatPortOccupiedMessage(const std::string& address, const std::string& port);
// The message for the address and port of the product configuration file.
std::string portOccupiedMessage(platform::LauncherServices& services);

}  // namespace Harvella

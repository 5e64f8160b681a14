#pragma once
#include <cstdint>

#include "platform/launcher_services.h"

namespace Harvella {

// Hands "http://<host>:<port>/login.do" to the shell, which passes it to the
// default browser. The host is "localhost" for the loopback and "every
// address" settings, otherwise this computer's name.
void openLoginPage(platform::LauncherServices& services, std::uintptr_t ownerWindow);

}  // namespace Harvella

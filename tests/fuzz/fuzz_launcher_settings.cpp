// The product configuration file as the launcher reads it: the IPaddress and
// HTTPPort texts, the port check and the login page address made from them.
// A failure may only be one of the launcher's own errors.
#include <cstddef>
#include <cstdint>
#include <string>

#include "LauncherFakes.h"
#include "runtime/HarvellaConfig.h"
#include "runtime/LoginPage.h"
#include "runtime/PortCheck.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    launcherfakes::FakeLauncherServices fake;
    fake.registry.setString("SOFTWARE\\Brenwick\\Harvella", "InstallPath", "C:\\H");
    fake.files.files["C:\\H\\harvella.config"].assign(reinterpret_cast<const char*>(data), size);
    try {
        Harvella::HarvellaConfig config(fake.services, "C:\\H");
        Harvella::isPortFree(fake.network, config.getIPAddress(), config.getHTTPPort());
        Harvella::portOccupiedMessage(fake.services);
        Harvella::openLoginPage(fake.services, 0);
    } catch (const Harvella::HarvellaError&) {
    }
    return 0;
}

#include "runtime/LauncherSettings.h"

#include <algorithm>

#include "frontend/HarvellaError.h"
#include "runtime/RegistryKey.h"

namespace Harvella {

const char* const productKeyPath = "SOFTWARE\\Brenwick\\Harvella";

namespace {
std::string productValue(platform::Registry& registry, const std::string& name) {
    return RegistryKey::open(registry, productKeyPath).getStringValue(name);
}
}  // namespace

std::string getInstallPath(platform::Registry& registry) {
    std::string path = productValue(registry, "InstallPath");
    if (path.empty())
        throw HarvellaError("The registry value InstallPath is empty: it must name the folder "
                            "Harvella is installed in.");
    return path;
}

std::string getJavaPath(platform::Registry& registry) {
    return productValue(registry, "JavaPath");
}

std::string getStartupClassName(platform::Registry& registry) {
    std::string name = productValue(registry, "StartupClassName");
    std::replace(name.begin(), name.end(), '.', '/');
    return name;
}

std::string getStartupClassPath(platform::Registry& registry) {
    return productValue(registry, "StartupClassPath");
}

std::string inInstallFolder(const std::string& installPath, const std::string& relativePath,
                            const platform::LauncherConventions& conventions) {
    const std::string& separator = conventions.separator;
    const bool endsInSeparator = installPath.size() >= separator.size() &&
                                 installPath.compare(installPath.size() - separator.size(),
                                                     separator.size(), separator) == 0;
    return installPath + (endsInSeparator ? "" : separator) + relativePath;
}

std::string enterInstallFolder(platform::LauncherServices& services) {
    const std::string installPath = getInstallPath(services.registry);
    if (services.workingDirectory.set(installPath) != platform::winerr::success)
        return installPath;
    const auto entered = services.workingDirectory.get();
    return entered.ok() ? entered.value : installPath;
}

}  // namespace Harvella

#pragma once
// The product's registry values as the launcher reads them. Each getter opens
// the product key, reads one value and closes the key again.
#include <string>

#include "platform/launcher_services.h"
#include "platform/registry.h"

namespace Harvella {

extern const char* const productKeyPath;

// Refuses an empty value: every path of the installation would then name
// the current folder or the root of the drive instead.
std::string getInstallPath(platform::Registry& registry);
std::string getJavaPath(platform::Registry& registry);
// With every "." replaced by "/": the form the JVM's class lookup takes.
std::string getStartupClassName(platform::Registry& registry);
std::string getStartupClassPath(platform::Registry& registry);

// The full path of a file inside the installation folder, which the registry
// may give with or without a trailing separator.
std::string inInstallFolder(const std::string& installPath, const std::string& relativePath,
                            const platform::LauncherConventions& conventions);
// Makes the installation folder current and returns its full path as the
// system names it then, so that files named from it (the markers) stay right
// when "InstallPath" is relative; "InstallPath" itself when it cannot be
// entered.
std::string enterInstallFolder(platform::LauncherServices& services);

}  // namespace Harvella

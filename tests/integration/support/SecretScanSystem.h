#pragma once
// What the secret scan asks the system, answered once for Linux
// (SecretScanLinux.cpp) and once for Windows under Wine
// (tests/wine/support/SecretScanWine.cpp).
#include <string>

namespace testsupport {

// The folder with one subfolder per process holding its cmdline and environ:
// Linux's /proc, which Wine's processes are in too.
std::string processTable();
// Whether another local user may read the regular file.
bool readableByOthers(const std::string& path);

}  // namespace testsupport

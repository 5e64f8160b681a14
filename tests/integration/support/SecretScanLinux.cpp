#include <sys/stat.h>

#include "SecretScanSystem.h"

namespace testsupport {

std::string processTable() { return "/proc"; }

bool readableByOthers(const std::string& path) {
    struct stat info {};
    return ::lstat(path.c_str(), &info) == 0 && (info.st_mode & S_IROTH) != 0;
}

}  // namespace testsupport

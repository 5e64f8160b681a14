#include "stand_in_root.h"

#include <sys/stat.h>

#include <cerrno>
#include <cstdlib>

#include "errno_map.h"

namespace platform::posix {

std::string standInRoot() {
    const char* root = std::getenv("HARVELLA_SYSTEM_ROOT");
    return root && *root ? root : "/var/lib/harvella-system";
}

ErrorCode makeFolders(const std::string& path) {
    for (std::size_t slash = path.find('/', 1);; slash = path.find('/', slash + 1)) {
        const std::string prefix = path.substr(0, slash);
        if (!prefix.empty() && ::mkdir(prefix.c_str(), 0755) != 0 && errno != EEXIST)
            return setLastErrorFromErrno();
        if (slash == std::string::npos) return winerr::success;
    }
}

}  // namespace platform::posix

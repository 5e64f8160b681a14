#include "SmallFileSystem.h"

#include <fcntl.h>
#include <sys/mount.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <vector>

namespace testsupport {

SmallFileSystem::SmallFileSystem(const std::string& folder, unsigned kibibytes) : folder_(folder) {
    const std::string options = "size=" + std::to_string(kibibytes) + "k,mode=0755";
    mounted_ =
        ::mount("tmpfs", folder.c_str(), "tmpfs", MS_NOSUID | MS_NODEV, options.c_str()) == 0;
    if (!mounted_) reason_ = std::string("mounting a tmpfs was refused: ") + std::strerror(errno);
}

SmallFileSystem::~SmallFileSystem() {
    if (mounted_) ::umount2(folder_.c_str(), MNT_DETACH);
}

void SmallFileSystem::fill() {
    const int fd = ::open((folder_ + "/filler").c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    if (fd < 0) return;
    // Whole blocks first, then single bytes, until not one more fits.
    std::vector<char> block(4096, 'x');
    while (::write(fd, block.data(), block.size()) > 0) {
    }
    while (::write(fd, block.data(), 1) > 0) {
    }
    ::close(fd);
}

}  // namespace testsupport

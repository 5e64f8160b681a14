#include "raw_terminal.h"

#include <unistd.h>

#include <cerrno>

namespace platform::posix {

RawTerminal::RawTerminal(int fd) : fd_(fd), raw_(::tcgetattr(fd, &saved_) == 0) {
    if (!raw_) return;
    termios raw = saved_;
    raw.c_lflag &= ~static_cast<tcflag_t>(ICANON | ECHO | ISIG | IEXTEN);
    raw.c_iflag &= ~static_cast<tcflag_t>(ICRNL | INLCR | IXON);
    raw.c_cc[VMIN] = 1;
    raw.c_cc[VTIME] = 0;
    ::tcsetattr(fd_, TCSANOW, &raw);
}

RawTerminal::~RawTerminal() {
    if (raw_) ::tcsetattr(fd_, TCSANOW, &saved_);
}

char RawTerminal::readKey() {
    char key = 0;
    ssize_t n = 0;
    do {
        n = ::read(fd_, &key, 1);
    } while (n < 0 && errno == EINTR);
    return raw_ && n == 1 ? key : 0;
}

}  // namespace platform::posix

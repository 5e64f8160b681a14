#pragma once
// POSIX side only: a terminal that hands over every key as it is typed.
#include <termios.h>

namespace platform::posix {

// The terminal on `fd` without echo, without waiting for a line and without
// signals from keys (Ctrl-C arrives as a key, Enter as CR), for as long as the
// object lives, so that the terminal is always given back as it was. Made
// before a prompt shows, so that no key typed early is echoed; keys typed
// ahead are kept.
class RawTerminal {
public:
    explicit RawTerminal(int fd);
    ~RawTerminal();
    RawTerminal(const RawTerminal&) = delete;
    RawTerminal& operator=(const RawTerminal&) = delete;

    // The next key; 0 at the terminal's end or when it cannot be read.
    char readKey();

private:
    const int fd_;
    termios saved_{};
    const bool raw_;
};

}  // namespace platform::posix

#include "Terminal.h"

#include <poll.h>
#include <pty.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

namespace testsupport {

Terminal::Terminal(const std::string& program, const std::string& argument) {
    pid_ = ::forkpty(&master_, nullptr, nullptr, nullptr);
    if (pid_ == 0) ::_exit(::execl(program.c_str(), program.c_str(), argument.c_str(), nullptr));
}

Terminal::~Terminal() {
    if (pid_ > 0 && ::kill(pid_, SIGKILL) == 0) exitCode();
    ::close(master_);
}

bool Terminal::waitFor(const std::string& text) {
    while (screen.find(text, seen_) == std::string::npos)
        if (!readMore()) return false;
    seen_ = screen.find(text, seen_) + text.size();
    return true;
}

void Terminal::type(const std::string& keys) {
    if (::write(master_, keys.data(), keys.size()) < 0) return;
}

int Terminal::exitCode() {
    while (readMore()) {
    }
    int status = -1;
    const bool ended = ::waitpid(pid_, &status, 0) == pid_ && WIFEXITED(status);
    pid_ = -1;
    return ended ? WEXITSTATUS(status) : -1;
}

bool Terminal::readMore() {
    pollfd ready{master_, POLLIN, 0};
    char bytes[4096];
    const ssize_t got = ::poll(&ready, 1, 60000) > 0 ? ::read(master_, bytes, sizeof bytes) : 0;
    if (got > 0) screen.append(bytes, static_cast<std::size_t>(got));
    return got > 0;  // EIO once the program has gone
}

}  // namespace testsupport

#include "console.h"

#include <unistd.h>

#include <cerrno>

#include "errno_map.h"
#include "file_bytes.h"

namespace platform::posix {

// Linux has no single command line: the words after the program name, joined
// by one blank, stand for it.
PosixConsole::PosixConsole(int argc, char** argv) {
    for (int i = 1; i < argc; ++i) {
        if (i > 1) argumentLine_ += ' ';
        argumentLine_ += argv[i];
    }
}

std::string PosixConsole::argumentLine() { return argumentLine_; }

Result<std::size_t> PosixConsole::writeStdOut(const std::string& bytes) {
    ssize_t n = 0;
    do {
        n = ::write(STDOUT_FILENO, bytes.data(), bytes.size());
    } while (n < 0 && errno == EINTR);
    if (n < 0) return Result<std::size_t>::failure(setLastErrorFromErrno());
    return {static_cast<std::size_t>(n), winerr::success};
}

void PosixConsole::writeStdErr(const std::string& bytes) {
    (void)writeFully(STDERR_FILENO, bytes);
}

void PosixConsole::endProcess(int code) { ::_exit(code); }

}  // namespace platform::posix

#include "console.h"

#include <unistd.h>

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

// As WriteFile on a blocking pipe: the whole text, or a failure.
Result<std::size_t> PosixConsole::writeStdOut(const std::string& bytes) {
    if (const ErrorCode failed = writeFully(STDOUT_FILENO, bytes))
        return Result<std::size_t>::failure(failed);
    return {bytes.size(), winerr::success};
}

void PosixConsole::writeStdErr(const std::string& bytes) {
    (void)writeFully(STDERR_FILENO, bytes);
}

void PosixConsole::endProcess(int code) { ::_exit(code); }

}  // namespace platform::posix

#pragma once
#include <cstddef>
#include <cstdlib>
#include <string>

#include "platform/error.h"

namespace platform {

// The program's own process: its argument line, standard streams and end.
class Console {
public:
    virtual ~Console() = default;
    // The command line after the program name and the blanks that follow it.
    virtual std::string argumentLine() = 0;
    // The bytes to standard output, as one WriteFile on a blocking handle
    // writes them; the count actually written.
    virtual Result<std::size_t> writeStdOut(const std::string& bytes) = 0;
    virtual void writeStdErr(const std::string& bytes) = 0;
    // Ends the process at once with the code; no destructors run.
    [[noreturn]] void exitProcess(int code) {
        endProcess(code);
        std::abort();  // endProcess never returns; this tells the compiler so
    }

protected:
    // Must not return (a test fake throws instead).
    virtual void endProcess(int code) = 0;
};

}  // namespace platform
